// The design library's decimal numbers: read exactly, converted correctly
// rounded, summed and compared exactly; and doubles written back as the
// shortest text that reads back the same.

#include "design/decimal.h"
#include "design/export_text.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace padcalc {

// How GoogleTest shows a number that fails: its digits and exponent.
void PrintTo(const Decimal& d, std::ostream* out) {
    *out << (d.negative ? "-" : "") << (d.is_zero() ? "0" : d.digits) << "e" << d.exponent;
}

namespace {

Decimal decimal(std::string_view text) {
    std::optional<Decimal> number = take_decimal(text);
    EXPECT_TRUE(number && text.empty()) << text;
    return number.value_or(Decimal{});
}

TEST(Decimal, KeepsTheDigitsAsWritten) {
    struct Case {
        const char* text;
        bool negative;
        const char* digits;
        std::int64_t exponent;
    } cases[] = {
        {"0.30", false, "3", -1},     {"-1200", true, "12", 2},
        {"+.05e3", false, "5", 1},    {"000", false, "", 0},
        {"-0.0", true, "", 0},        {"1.5e-400", false, "15", -401},
        {"10.01", false, "1001", -2}, {"7e99999999999999999999", false, "7", 1'000'000'000'000},
    };
    for (const Case& c : cases) {
        Decimal d = decimal(c.text);
        EXPECT_EQ(d.negative, c.negative) << c.text;
        EXPECT_EQ(d.digits, c.digits) << c.text;
        EXPECT_EQ(d.exponent, c.exponent) << c.text;
    }
    std::string_view rest = "4k7";
    EXPECT_EQ(take_decimal(rest)->digits, "4");
    EXPECT_EQ(rest, "k7");
    rest = "e5";
    EXPECT_FALSE(take_decimal(rest));
    EXPECT_EQ(rest, "e5");
}

// The nearest double, ties to even, past the range too: 1e-400 is zero, not
// an overflow. The expected values are the compiler's own reading of the
// literals, not the C library's, which is not correctly rounded everywhere.
TEST(Decimal, ConvertsToTheNearestDouble) {
    struct Case {
        std::string text;
        double value;
    } cases[] = {
        {"0.1", 0.1},
        {"1e-400", 0.0},
        {"-1e-400", -0.0},
        {"1e400", HUGE_VAL},
        {"-1e400", -HUGE_VAL},
        {"2.2250738585072011e-308", 2.2250738585072011e-308},
        {"4.9e-324", 4.9406564584124654e-324},
        {"2.4e-324", 0.0},
        {"1.7976931348623158e308", std::numeric_limits<double>::max()},
        {"0." + std::string(800, '3'), 1.0 / 3.0},
        // Halfway between two doubles goes to the even one; a hair above it,
        // far down, goes up.
        {"9007199254740993", 9007199254740992.0},
        {"9007199254740993.00000000000000000000000001", 9007199254740994.0},
        {"1e99999999999999999999", HUGE_VAL},
        {"-1e-99999999999999999999", -0.0},
    };
    for (const Case& c : cases) {
        double got = to_double(decimal(c.text));
        EXPECT_EQ(std::memcmp(&got, &c.value, sizeof got), 0) << c.text << " read as " << got;
    }
    EXPECT_EQ(to_float(decimal("1e-50")), 0.0f);
    EXPECT_EQ(to_float(decimal("3.4028236e38")), HUGE_VALF);
    EXPECT_EQ(to_double(3, -1), 0.3);
    EXPECT_EQ(to_double(-12345678901, -10), -1.2345678901);
}

TEST(Decimal, AddsMultipliesAndComparesExactly) {
    struct Sum {
        const char* a;
        const char* b;
        const char* sum;
    } sums[] = {
        {"0.1", "0.2", "0.3"},         {"1e300", "-1e300", "0"}, {"-0.5", "0.5", "0"},
        {"9.99", "0.01", "10"},        {"-2", "0.5", "-1.5"},    {"0.5", "-2", "-1.5"},
        {"1000", "-999.999", "0.001"},
    };
    for (const Sum& s : sums) {
        Decimal sum = decimal(s.a) + decimal(s.b);
        EXPECT_EQ(sum, decimal(s.sum)) << s.a << " + " << s.b;
        EXPECT_EQ(sum <=> decimal(s.sum), std::strong_ordering::equal);
    }
    // The sum with a part far below keeps it: 1e300 + 1e-300 is above 1e300.
    EXPECT_GT(decimal("1e300") + decimal("1e-300"), decimal("1e300"));
    EXPECT_EQ(decimal("0.3333333333333") * 3, decimal("0.9999999999999"));
    EXPECT_EQ(decimal("-2.5") * 4'000'000'000u, decimal("-1e10"));
    EXPECT_EQ(decimal("7") * 0, decimal("0"));
    const char* ascending[] = {"-1e5", "-2",  "-1.5",    "-1e-300", "0",    "1e-300",
                               "0.09", "0.1", "0.10001", "1",       "1e300"};
    for (std::size_t i = 1; i < std::size(ascending); ++i) {
        EXPECT_LT(decimal(ascending[i - 1]), decimal(ascending[i])) << ascending[i];
        EXPECT_GT(decimal(ascending[i]), decimal(ascending[i - 1])) << ascending[i];
    }
    EXPECT_EQ(decimal("-0"), decimal("0"));
}

std::string to_chars_text(double value) {
    char text[32];
    return {text, std::to_chars(text, text + sizeof text, value).ptr};
}

// exact_number writes what std::to_chars writes, byte for byte: the shorter
// of the fixed and scientific layouts, the fixed one on a tie.
TEST(ExactNumber, WritesWhatToCharsWrites) {
    const double values[] = {1e-05,
                             0.1,
                             18.077960968017578,
                             1e300,
                             1e6,
                             1e-4,
                             0.001,
                             123456789012345680.0,
                             1e15,
                             1e16,
                             12345678901234568.0,
                             100,
                             1234.5,
                             -0.0,
                             0.0,
                             5e-324,
                             std::numeric_limits<double>::max(),
                             -2.2250738585072014e-308,
                             std::numeric_limits<double>::infinity(),
                             -1e22,
                             1e21,
                             0.000123,
                             std::nan("")};
    for (double v : values)
        EXPECT_EQ(exact_number(v), to_chars_text(v)) << to_chars_text(v);
    EXPECT_EQ(exact_number(1e-05), "1e-05");
    EXPECT_EQ(exact_number(1e300), "1e+300");
    std::mt19937_64 random(1);
    for (int i = 0; i < 200'000; ++i) {
        double v = 0;
        std::uint64_t bits = random();
        std::memcpy(&v, &bits, sizeof v);
        if (i % 2 == 0) // short decimals and round numbers, large and small, too
            v = static_cast<double>(bits % 100000) *
                std::pow(10.0, static_cast<int>((bits >> 40) % 40) - 20);
        ASSERT_EQ(exact_number(v), to_chars_text(v)) << to_chars_text(v);
    }
}

} // namespace
} // namespace padcalc
