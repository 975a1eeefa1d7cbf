// Quantities as engineers write them, at the edges of what is read and what
// is refused, and the reasons given.

#include "design/quantity.h"

#include <gtest/gtest.h>

#include <cmath>

namespace padcalc {
namespace {

// The text refused for a reason that holds `words`.
void expect_refused(const Parsed<double>& parsed, std::string_view text, std::string_view words) {
    ASSERT_FALSE(parsed) << text << " read as " << *parsed;
    EXPECT_NE(parsed.reason().find(words), std::string::npos) << text << ": " << parsed.reason();
}

TEST(Ohms, ReadsNumbersPrefixesCodesAndUnits) {
    struct Case {
        const char* text;
        double ohms;
    } cases[] = {
        {"50", 50},
        {"600.", 600},
        {"1e3", 1000},
        {"1k", 1000},
        {"2.2M", 2.2e6},
        {"100m", 0.1},
        {"4k7", 4700},
        {"2R2", 2.2},
        {"50ohm", 50},
        {"50Ω", 50},
        {"-50", -50},
        {"+75", 75},
        {"1M5", 1.5e6},
        {"470R", 470},
        {".5", 0.5},
        {"4.7kohm", 4700},
        {"-4k7", -4700},
        {"4µ7", 4.7e-6},
        {"0R", 0},
        // IEC 60062 writes kilo as a capital K too.
        {"4K7", 4700},
        {"2K2", 2200},
        {"1K0", 1000},
        {"2.2K", 2200},
        {"1K", 1000},
        {"4M7", 4.7e6},
        // A prefix moves the decimal point: the value is the double nearest
        // the number as written, not a product rounded twice.
        {"3u3", 3.3e-6},
        {"3.3u", 3.3e-6},
        {"4.1M", 4.1e6},
        {"1.3m", 1.3e-3},
        // Below the smallest double is zero; above the largest, infinite.
        {"1e-400", 0},
        {"1e400", HUGE_VAL},
    };
    for (const Case& c : cases) {
        Parsed<double> ohms = parse_ohms(c.text);
        ASSERT_TRUE(ohms) << c.text << ": " << ohms.reason();
        EXPECT_EQ(*ohms, c.ohms) << c.text;
    }
}

TEST(Ohms, RefusesWhatIsNotAResistance) {
    for (const char* text : {"", "k", "K", "50x", "inf", "nan", "0x10", "5e", "--5", "+-5", "1,5",
                             "50 ohm", "10dB", "2.2k7", "R47", "4kK"})
        expect_refused(parse_ohms(text), text, "not a resistance");
    // A resistor code says its unit itself.
    for (const char* text : {"2R2R", "4k7R", "4K7ohm", "2R2Ω", "1M5r", "4k7k", "1k1k", "4K7.5"})
        expect_refused(parse_ohms(text), text, "resistor code");
}

TEST(Decibels, ANumberWithAnOptionalUnit) {
    EXPECT_EQ(*parse_decibels("10dB"), 10.0);
    EXPECT_EQ(*parse_decibels("-3db"), -3.0);
    for (const char* text : {"10k", "10 dB", "dB", "10dBm"})
        expect_refused(parse_decibels(text), text, "not a loss in dB");
}

TEST(Hertz, ANumberWithAnOptionalPrefixAndUnit) {
    EXPECT_EQ(*parse_hertz("1MHz"), 1e6);
    EXPECT_EQ(*parse_hertz("2.4G"), 2.4e9);
    EXPECT_EQ(*parse_hertz("50"), 50.0);
    for (const char* text : {"1KHz", "1M5", "1 Hz", "Hz"})
        expect_refused(parse_hertz(text), text, "not a frequency");
}

TEST(Power, WattsOrDbmWithTheUnitWritten) {
    EXPECT_EQ(*parse_power("250mW"), 0.25);
    EXPECT_EQ(*parse_power("1W"), 1.0);
    EXPECT_EQ(*parse_power("1e308W"), 1e308);
    EXPECT_DOUBLE_EQ(*parse_power("30dBm"), 1.0);
    EXPECT_DOUBLE_EQ(*parse_power("-30dbm"), 1e-6);
    // A plain number could be watts or dBm; the refusal names both.
    for (const char* text : {"0.25", "0", "30"}) {
        expect_refused(parse_power(text), text, "watts or dBm");
        expect_refused(parse_power(text), text, "250mW");
    }
    for (const char* text : {"250m", "1X", "W", "1 W"})
        expect_refused(parse_power(text), text, "not a power");
    for (const char* text : {"0W", "-1W", "1e-400W", "1e999W", "4000dBm", "-4000dBm"})
        expect_refused(parse_power(text), text, "greater than 0 W");
}

TEST(Power, ARatingIsWattsWithOrWithoutTheUnit) {
    EXPECT_EQ(*parse_rating("0.25"), 0.25);
    EXPECT_EQ(*parse_rating("250m"), 0.25);
    EXPECT_EQ(*parse_rating("0.25W"), 0.25);
    EXPECT_DOUBLE_EQ(*parse_rating("30dBm"), 1.0);
    for (const char* text : {"0", "-1", "1e999"})
        expect_refused(parse_rating(text), text, "greater than 0 W");
    expect_refused(parse_rating("1X"), "1X", "not a power");
}

TEST(Tolerance, FromZeroToBelowAHundredPercent) {
    EXPECT_EQ(*parse_tolerance("1"), 1.0);
    EXPECT_EQ(*parse_tolerance("0.5%"), 0.5);
    EXPECT_FALSE(std::signbit(*parse_tolerance("-0")));
    for (const char* text : {"-1", "100", "1e999"})
        expect_refused(parse_tolerance(text), text, "from 0 % to below 100 %");
    expect_refused(parse_tolerance("1%%"), "1%%", "not a percentage");
}

} // namespace
} // namespace padcalc
