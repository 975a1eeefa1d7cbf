// Exact sums, products and comparisons of decimal numbers, digit by digit,
// as on paper: a sweep places its losses with them.

#include "decimal.h"

#include <algorithm>

namespace padcalc {
namespace {

// The number's digits written out down to the place of 10^exponent, which
// is at or below its last digit.
std::string digits_down_to(const Decimal& number, std::int64_t exponent) {
    std::string out = number.digits;
    out.append(static_cast<std::size_t>(number.exponent - exponent), '0');
    return out;
}

// Orders two whole numbers written without leading zeros.
std::strong_ordering compare_whole(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return a.size() <=> b.size();
    return a.compare(b) <=> 0;
}

int digit_at(std::string_view whole, std::size_t from_right) {
    return from_right < whole.size() ? whole[whole.size() - 1 - from_right] - '0' : 0;
}

std::string add_whole(std::string_view a, std::string_view b) {
    std::string sum(std::max(a.size(), b.size()) + 1, '0');
    int carry = 0;
    for (std::size_t i = 0; i < sum.size(); ++i) {
        int digit = digit_at(a, i) + digit_at(b, i) + carry;
        sum[sum.size() - 1 - i] = static_cast<char>('0' + digit % 10);
        carry = digit / 10;
    }
    return sum;
}

// a - b, where a is not below b.
std::string subtract_whole(std::string_view a, std::string_view b) {
    std::string difference(a);
    int borrow = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        int digit = digit_at(a, i) - digit_at(b, i) - borrow;
        borrow = digit < 0 ? 1 : 0;
        difference[a.size() - 1 - i] = static_cast<char>('0' + digit + 10 * borrow);
    }
    return difference;
}

// The number with the leading and trailing zeros of its digits dropped.
Decimal normal(bool negative, std::string digits, std::int64_t exponent) {
    std::size_t first = digits.find_first_not_of('0');
    if (first == std::string::npos)
        return {negative, {}, 0};
    std::size_t last = digits.find_last_not_of('0');
    exponent += static_cast<std::int64_t>(digits.size() - 1 - last);
    digits.erase(last + 1);
    digits.erase(0, first);
    return {negative, std::move(digits), exponent};
}

// Orders two nonzero numbers by size: the larger has its leading digit in a
// higher place, or in the same place and larger digits from there on.
std::strong_ordering compare_sizes(const Decimal& a, const Decimal& b) {
    std::int64_t lead_a = a.exponent + static_cast<std::int64_t>(a.digits.size());
    std::int64_t lead_b = b.exponent + static_cast<std::int64_t>(b.digits.size());
    if (lead_a != lead_b)
        return lead_a <=> lead_b;
    return a.digits.compare(b.digits) <=> 0;
}

int sign(const Decimal& number) {
    if (number.is_zero())
        return 0;
    return number.negative ? -1 : 1;
}

} // namespace

Decimal operator-(Decimal number) {
    number.negative = !number.negative;
    return number;
}

Decimal operator+(const Decimal& a, const Decimal& b) {
    if (b.is_zero())
        return a;
    if (a.is_zero())
        return b;
    std::int64_t exponent = std::min(a.exponent, b.exponent);
    std::string x = digits_down_to(a, exponent);
    std::string y = digits_down_to(b, exponent);
    if (a.negative == b.negative)
        return normal(a.negative, add_whole(x, y), exponent);
    std::strong_ordering order = compare_whole(x, y);
    if (order == std::strong_ordering::equal)
        return {};
    return order == std::strong_ordering::greater
               ? normal(a.negative, subtract_whole(x, y), exponent)
               : normal(b.negative, subtract_whole(y, x), exponent);
}

Decimal operator*(const Decimal& number, std::uint32_t times) {
    if (number.is_zero() || times == 0)
        return {};
    // Each digit times `times`, plus the carry, fits in 64 bits; the product
    // has at most ten digits more than the number.
    std::string product(number.digits.size() + 10, '0');
    std::size_t at = product.size();
    std::uint64_t carry = 0;
    for (std::size_t i = number.digits.size(); i-- > 0;) {
        carry += static_cast<std::uint64_t>(number.digits[i] - '0') * times;
        product[--at] = static_cast<char>('0' + carry % 10);
        carry /= 10;
    }
    for (; carry > 0; carry /= 10)
        product[--at] = static_cast<char>('0' + carry % 10);
    return normal(number.negative, std::move(product), number.exponent);
}

std::strong_ordering operator<=>(const Decimal& a, const Decimal& b) {
    int sa = sign(a);
    int sb = sign(b);
    if (sa != sb || sa == 0)
        return sa <=> sb;
    return sa > 0 ? compare_sizes(a, b) : compare_sizes(b, a);
}

bool operator==(const Decimal& a, const Decimal& b) {
    return (a <=> b) == std::strong_ordering::equal;
}

} // namespace padcalc
