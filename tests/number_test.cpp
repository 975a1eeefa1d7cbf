#include "console/number.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

using padcalc::number_value;
using padcalc::scan_number;

TEST(NumberGrammar, TakesTheLongestPrefixThatIsANumber) {
    struct Case {
        const char* text;
        std::size_t length;
    };
    // clang-format off
    const Case cases[] = {
        {"5", 1},       {"5.", 2},      {".5", 2},     {"5.25", 4},   {"+5", 2},
        {"-5", 2},      {"1e3", 3},     {"1E+3", 4},   {"2.5e-3x", 6}, {"12abc", 2},
        {"12,5", 2},    {"1..2", 2},    {"5e", 1},     {"5e+", 1},    {"5e-x", 1},
        {"0x1p3", 1},   {"600 600", 3}, {"-.5e1", 5},
        // Nothing else starts a number: no words, no lone sign or point.
        {"", 0},        {".", 0},       {"+", 0},      {"-.", 0},     {"+-5", 0},
        {"inf", 0},     {"nan", 0},     {"e5", 0},     {"..5", 0},    {" 5", 0},
    };
    // clang-format on
    for (const Case& c : cases)
        EXPECT_EQ(scan_number(c.text), c.length) << "text: \"" << c.text << '"';
}

// The stored value is the correctly rounded float of the decimal text, the
// one strtof gives in the C locale.
TEST(NumberValue, IsTheCorrectlyRoundedFloat) {
    std::string digits400(400, '7');
    const std::string texts[] = {
        "600",
        "0.1",
        "-5",
        ".5",
        "5.",
        "1e3",
        "+2.5",
        "3.4028235e38",
        "1.4e-45",
        "7.1e-46",
        "1e-40",
        "16777217",
        "0.000000000000000000000000000000000000000000001",
        digits400,
        "0." + digits400,
        // Halfway between two floats in double precision, a hair above in
        // truth: rounding through double would round down to 1.
        "1.00000005960464477539062500000000001",
    };
    for (const std::string& text : texts)
        EXPECT_EQ(number_value(text), std::strtof(text.c_str(), nullptr)) << text;
    EXPECT_EQ(number_value("1.00000005960464477539062500000000001"), 1.00000012f);
}

TEST(NumberValue, BeyondTheFloatRangeIsInfiniteOrZero) {
    EXPECT_EQ(number_value("1e39"), INFINITY);
    EXPECT_EQ(number_value("-1e39"), -INFINITY);
    EXPECT_EQ(number_value(std::string(400, '9')), INFINITY);
    EXPECT_EQ(number_value("0.0000000001e50"), INFINITY);
    EXPECT_EQ(number_value("1e-50"), 0.0f);
    EXPECT_TRUE(std::signbit(number_value("-1e-50")));
    EXPECT_EQ(number_value("100000e-60"), 0.0f);
    EXPECT_EQ(number_value("1e99999999999999999999"), INFINITY);
}
