// The decimal numbers that people type, read exactly: an optional sign,
// digits with at most one decimal point among or around them, and an
// optional exponent. No words (inf, nan), no hexadecimal, and no dependence
// on the locale: the decimal point is always a full stop. The console's
// entries and the command line's quantities are both read with this.
#pragma once

#include <compare>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace padcalc {

// A decimal number exactly as written: its value is the digits, read as a
// whole number, times ten to the exponent.
struct Decimal {
    bool negative = false;
    std::string digits;        // without leading or trailing zeros; empty for zero
    std::int64_t exponent = 0; // the power of ten of the last digit; 0 for zero

    bool is_zero() const { return digits.empty(); }
};

// Length of the longest prefix of `text` that forms a number; 0 if none does.
// An exponent counts only with a digit: "5e" and "5e+" are the number 5.
std::size_t scan_decimal(std::string_view text);

// The number at the front of `text`, removed from it; nothing, and `text`
// left as it was, when no number is there. An exponent written with more
// than twelve digits is read as 10^12 (or 10^-12), far past any double.
std::optional<Decimal> take_decimal(std::string_view& text);

// The nearest double and the nearest float, ties to even; beyond the range
// an infinity, below it a zero, either with the number's sign.
double to_double(const Decimal& number);
float to_float(const Decimal& number);

// The nearest double to `whole` times ten to `exponent`.
double to_double(std::int64_t whole, std::int64_t exponent);

// Exact arithmetic. A sum writes out every digit place between the two
// numbers' highest and lowest digits, so the caller bounds that span.
Decimal operator-(Decimal number);
Decimal operator+(const Decimal& a, const Decimal& b);
Decimal operator*(const Decimal& number, std::uint32_t times);
std::strong_ordering operator<=>(const Decimal& a, const Decimal& b);
bool operator==(const Decimal& a, const Decimal& b);

} // namespace padcalc
