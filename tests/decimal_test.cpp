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

// The nearest double, ties to even, past the range too: 1e-400 is zero, not
// an overflow. The expected values are the compiler's reading of literals.
TEST(Decimal, ConvertsToTheNearestDouble) {
    struct Case {
        std::string text;
        double value;
    } cases[] = {
        {"1e-400", 0.0},
        {"-1e-400", -0.0},
        {"-1e400", -HUGE_VAL},
        {"1e99999999999999999999", HUGE_VAL},
        {"4.9e-324", 4.9406564584124654e-324},
        {"0." + std::string(800, '3'), 1.0 / 3.0},
        // Halfway between two doubles goes to the even one; a hair above it,
        // far down, goes up.
        {"9007199254740993", 9007199254740992.0},
        {"9007199254740993.00000000000000000000000001", 9007199254740994.0},
    };
    for (const Case& c : cases) {
        double got = to_double(decimal(c.text));
        EXPECT_EQ(std::memcmp(&got, &c.value, sizeof got), 0) << c.text << " read as " << got;
    }
    EXPECT_EQ(to_float(decimal("3.4028236e38")), HUGE_VALF);
    EXPECT_EQ(to_double(-12345678901, -10), -1.2345678901);
}

TEST(Decimal, AddsMultipliesAndComparesExactly) {
    struct Sum {
        const char* a;
        const char* b;
        const char* sum;
    } sums[] = {
        {"0.1", "0.2", "0.3"}, {"1e300", "-1e300", "0"},      {"9.99", "0.01", "10"},
        {"0.5", "-2", "-1.5"}, {"1000", "-999.999", "0.001"},
    };
    for (const Sum& s : sums)
        EXPECT_EQ(decimal(s.a) + decimal(s.b), decimal(s.sum)) << s.a << " + " << s.b;
    EXPECT_EQ(decimal("0.3333333333333") * 3, decimal("0.9999999999999"));
    EXPECT_EQ(decimal("-2.5") * 4'000'000'000u, decimal("-1e10"));
    // In order, with a part far below kept: 1e300 + 1e-300 is above 1e300.
    const Decimal ascending[] = {decimal("-2"),      decimal("-1.5"),
                                 decimal("-1e-300"), decimal("-0"),
                                 decimal("1e-300"),  decimal("0.09"),
                                 decimal("0.1"),     decimal("0.10001"),
                                 decimal("1e300"),   decimal("1e300") + decimal("1e-300")};
    for (std::size_t i = 1; i < std::size(ascending); ++i)
        EXPECT_LT(ascending[i - 1], ascending[i]) << i;
}

std::string to_chars_text(double value) {
    char text[32];
    return {text, std::to_chars(text, text + sizeof text, value).ptr};
}

// exact_number writes what std::to_chars writes, byte for byte: the shorter
// of the fixed and scientific layouts, the fixed one on a tie, and whole
// numbers in their exact digits.
TEST(ExactNumber, WritesWhatToCharsWrites) {
    const double values[] = {1e-05,
                             0.1,
                             18.077960968017578,
                             1e300,
                             1e6,
                             1e-4,
                             0.001,
                             1e16,
                             -8481620698703040512.0,
                             12345678901234568.0,
                             -0.0,
                             5e-324,
                             std::numeric_limits<double>::max(),
                             -HUGE_VAL,
                             std::nan("")};
    for (double v : values)
        EXPECT_EQ(exact_number(v), to_chars_text(v));
    std::mt19937_64 random(1);
    for (int i = 0; i < 200'000; ++i) {
        double v = 0;
        std::uint64_t bits = random();
        std::memcpy(&v, &bits, sizeof v);
        if (i % 2 == 0) // short decimals and round numbers, large and small, too
            v = static_cast<double>(bits % 100000) *
                std::pow(10.0, static_cast<int>((bits >> 40) % 40) - 20);
        ASSERT_EQ(exact_number(v), to_chars_text(v));
    }
}

} // namespace
} // namespace padcalc
