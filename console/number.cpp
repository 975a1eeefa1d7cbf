#include "number.h"

#include <charconv>
#include <limits>

namespace padcalc {
namespace {

bool is_digit(char ch) { return ch >= '0' && ch <= '9'; }

std::size_t skip_digits(std::string_view text, std::size_t at) {
    while (at < text.size() && is_digit(text[at]))
        ++at;
    return at;
}

// Whether a number that overflows or underflows a float is large (an
// overflow) rather than small: compares the decimal exponent of its first
// significant digit with zero. Only called on numbers with a nonzero digit.
bool is_large(std::string_view number) {
    long lead = 0; // decimal exponent of the first significant digit, before 'e'
    bool seen_point = false;
    bool seen_digit = false;
    std::size_t at = 0;
    for (; at < number.size() && number[at] != 'e' && number[at] != 'E'; ++at) {
        char ch = number[at];
        if (ch == '.') {
            seen_point = true;
        } else if (is_digit(ch)) {
            if (!seen_digit && ch != '0') {
                seen_digit = true;
                lead = seen_point ? lead - 1 : 0;
            } else if (!seen_digit && seen_point) {
                --lead;
            } else if (seen_digit && !seen_point) {
                ++lead;
            }
        }
    }
    long exponent = 0;
    bool negative = false;
    if (at < number.size()) {
        ++at;
        if (at < number.size() && (number[at] == '+' || number[at] == '-'))
            negative = number[at++] == '-';
        for (; at < number.size(); ++at)
            if (exponent < 1000000) // far past any float; keeps the sum from overflowing
                exponent = exponent * 10 + (number[at] - '0');
    }
    return lead + (negative ? -exponent : exponent) >= 0;
}

} // namespace

std::size_t scan_number(std::string_view text) {
    std::size_t at = 0;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        ++at;
    std::size_t int_end = skip_digits(text, at);
    std::size_t digits = int_end - at;
    at = int_end;
    if (at < text.size() && text[at] == '.') {
        std::size_t frac_end = skip_digits(text, at + 1);
        digits += frac_end - (at + 1);
        at = frac_end;
    }
    if (digits == 0)
        return 0;
    // An exponent counts only with at least one digit; "5e" and "5e+" are the number 5.
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        std::size_t exp = at + 1;
        if (exp < text.size() && (text[exp] == '+' || text[exp] == '-'))
            ++exp;
        std::size_t exp_end = skip_digits(text, exp);
        if (exp_end > exp)
            at = exp_end;
    }
    return at;
}

float number_value(std::string_view number) {
    bool negative = !number.empty() && number.front() == '-';
    if (!number.empty() && (number.front() == '+' || number.front() == '-'))
        number.remove_prefix(1);
    float value = 0;
    auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range)
        value = is_large(number) ? std::numeric_limits<float>::infinity() : 0.0f;
    return negative ? -value : value;
}

} // namespace padcalc
