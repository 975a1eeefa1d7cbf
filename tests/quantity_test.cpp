// Quantities as engineers write them, at the edges of what is read and what
// is refused, and the reasons given.

#include "design/quantity.h"

#include <gtest/gtest.h>

#include <cmath>

namespace padcalc {
namespace {

// The text refused for a reason that holds `words`.
void expect_refused(const Expected<double>& parsed, std::string_view text, std::string_view words) {
    ASSERT_FALSE(parsed) << text << " read as " << *parsed;
    EXPECT_NE(parsed.reason().find(words), std::string::npos) << text << ": " << parsed.reason();
}

TEST(Ohms, ReadsNumbersPrefixesCodesAndUnits) {
    struct Case {
        const char* text;
        double ohms;
    } cases[] = {
        {"600.", 600},
        {"1e3", 1000},
        {"2.2M", 2.2e6},
        {"100m", 0.1},
        {"4k7", 4700},
        {"2R2", 2.2},
        {"50Ω", 50},
        {"-4k7", -4700},
        {"4.7kohm", 4700},
        {"470R", 470},
        // IEC 60062 writes kilo as a capital K too.
        {"4K7", 4700},
        {"2K2", 2200},
        {"1K0", 1000},
        {"2.2K", 2200},
        {"4M7", 4.7e6},
        // ... and may leave out the digits before the point.
        {"R47", 0.47},
        {"K47", 470},
        {"-R1", -0.1},
        // A prefix moves the decimal point: the value is the double nearest
        // the number as written, not a product rounded twice.
        {"3u3", 3.3e-6},
        {"4.1M", 4.1e6},
        {"1.3m", 1.3e-3},
        // Below the smallest double is zero; above the largest, infinite.
        {"1e-400", 0},
        {"1e400", HUGE_VAL},
    };
    for (const Case& c : cases) {
        Expected<double> ohms = parse_ohms(c.text);
        ASSERT_TRUE(ohms) << c.text << ": " << ohms.reason();
        EXPECT_EQ(*ohms, c.ohms) << c.text;
    }
    for (const char* text :
         {"", "K", "inf", "5e", "--5", "1,5", "50 ohm", "10dB", "2.2k7", "R", "Rk"})
        expect_refused(parse_ohms(text), text, "not a resistance");
    // A resistor code says its unit itself.
    for (const char* text : {"2R2R", "4k7R", "4K7ohm", "1k1k", "4K7.5"})
        expect_refused(parse_ohms(text), text, "resistor code");
}

TEST(Power, WattsOrDbmWithTheUnitWritten) {
    EXPECT_EQ(*parse_power("250mW"), 0.25);
    EXPECT_EQ(*parse_power("1e308W"), 1e308);
    EXPECT_DOUBLE_EQ(*parse_power("30dBm"), 1.0);
    // A plain number could be watts or dBm; the refusal names both.
    for (const char* text : {"0.25", "0"})
        expect_refused(parse_power(text), text, "watts or dBm: write W with an optional prefix");
    for (const char* text : {"250m", "1X"})
        expect_refused(parse_power(text), text, "not a power");
    for (const char* text : {"0W", "-1W", "1e999W", "4000dBm", "-4000dBm"})
        expect_refused(parse_power(text), text, "must be a finite power greater than 0 W");
}

TEST(Power, ARatingIsWattsWithOrWithoutTheUnit) {
    EXPECT_EQ(*parse_rating("0.25"), 0.25);
    EXPECT_EQ(*parse_rating("250m"), 0.25);
    EXPECT_EQ(*parse_rating("0.25W"), 0.25);
    for (const char* text : {"0", "1e999"})
        expect_refused(parse_rating(text), text, "greater than 0 W");
}

TEST(Tolerance, FromZeroToBelowAHundredPercent) {
    EXPECT_EQ(*parse_tolerance("0.5%"), 0.5);
    EXPECT_FALSE(std::signbit(*parse_tolerance("-0")));
    for (const char* text : {"-1", "100"})
        expect_refused(parse_tolerance(text), text, "from 0 % to below 100 %");
}

} // namespace
} // namespace padcalc
