// Quantities as engineers write them, at the edges of what is read and what
// is refused, and the reasons given; and figures as the reports write them.

#include "design/figures.h"
#include "design/quantity.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

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

// A figure of four significant figures with a prefix, or past the prefixes
// a power of ten, read back: its value, or NaN where it is not so written.
double figure_value(const std::string& text) {
    static const std::string prefixes[] = {"y", "z", "a", "f", "p", "n", "µ", "m", "",
                                           "k", "M", "G", "T", "P", "E", "Z", "Y"};
    std::size_t space = text.find(' ');
    std::string number = text.substr(0, space);
    std::string unit = text.substr(space + 1);
    std::size_t point = number.find('.');
    std::size_t e = number.find('e');
    std::size_t digits = (e == std::string::npos ? number.size() : e) - (number[0] == '-') - 1;
    if (point == std::string::npos || digits != 4 || !unit.ends_with("W"))
        return std::nan("");
    std::string prefix = unit.substr(0, unit.size() - 1);
    if (e != std::string::npos) // "9.999e-25 W": one figure before the point
        return point == 1 + (number[0] == '-') && prefix.empty() ? std::stod(number) : std::nan("");
    for (int p = 0; p < 17; ++p)
        if (prefixes[p] == prefix)
            return std::stod(number) * std::pow(1000.0, p - 8);
    return std::nan("");
}

// Each figure rounded once to four significant figures, with the prefix of
// what it rounds to, or a power of ten past yocto and yotta: on both sides
// of every rounding edge, where a figure once took the prefix before yocto
// (basic_string: construction from null, and status 134).
TEST(Figures, FourFiguresWithAPrefixOrAPowerOfTen) {
    struct Case {
        double value;
        const char* text;
    } cases[] = {
        {9.999e-25, "9.999e-25 W"},
        {0.9995e-24, "9.995e-25 W"},
        {0.999949e-24, "9.999e-25 W"},
        {0.999951e-24, "1.000 yW"},
        {1e-24, "1.000 yW"},
        {999.94e-3, "999.9 mW"},
        {999.96e-3, "1.000 W"},
        {141.94999, "141.9 W"},
        {999.949e24, "999.9 YW"},
        {999.951e24, "1.000e+27 W"},
        {-999.951e24, "-1.000e+27 W"},
        {-0.999951e-24, "-1.000 yW"},
        {-0.999949e-24, "-9.999e-25 W"},
        {0.0, "0.000 W"},
        {-0.0, "0.000 W"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(engineering(c.value, "W", false), c.text) << c.value;
    // Every double either side of each edge of the rounding, from 1e-30 to
    // 1e30: four figures, within half a unit of the last of them.
    for (int exponent = -30; exponent <= 30; ++exponent)
        for (double edge : {0.99995, 0.9995, 0.995}) {
            double value = edge * std::pow(10.0, exponent);
            for (int step = 0; step < 40; ++step)
                value = std::nextafter(value, 0.0);
            for (int step = 0; step < 80; ++step, value = std::nextafter(value, HUGE_VAL)) {
                std::string text = engineering(value, "W", false);
                double shown = figure_value(text);
                EXPECT_NEAR(shown, value, 5.0001e-4 * value) << value << " as " << text;
            }
        }
}

// A figure that rounds to zero has no sign, and one that cannot be worked
// out is '-', as every other such figure; a return loss at or beyond 300 dB
// is a match too close to tell, and NaN is not one.
TEST(Figures, NoSignOnZeroAndADashForWhatIsNotANumber) {
    double nan = std::numeric_limits<double>::quiet_NaN();
    double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(fixed_point(-0.001, 2), "0.00");
    EXPECT_EQ(fixed_point(-0.0, 3), "0.000");
    EXPECT_EQ(fixed_point(-0.006, 2), "-0.01");
    EXPECT_EQ(fixed_point(-1e-300, 4), "0.0000");
    EXPECT_EQ(fixed_point(nan, 2), "-");
    EXPECT_EQ(return_loss_text(-0.0), "0.00");
    EXPECT_EQ(return_loss_text(-1e-15), "0.00");
    EXPECT_EQ(return_loss_text(nan), "-");
    EXPECT_EQ(return_loss_text(-inf), "-");
    EXPECT_EQ(return_loss_text(300), "> 300");
    EXPECT_EQ(return_loss_text(inf), "> 300");
    EXPECT_EQ(engineering(nan, "W", false), "-");
    EXPECT_EQ(exact_figure(nan), "-");
}

} // namespace
} // namespace padcalc
