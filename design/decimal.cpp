#include "decimal.h"

#include <fast_float/fast_float.h>

#include <charconv>

namespace padcalc {
namespace {

bool is_digit(char ch) { return ch >= '0' && ch <= '9'; }

std::size_t skip_digits(std::string_view text, std::size_t at) {
    while (at < text.size() && is_digit(text[at]))
        ++at;
    return at;
}

// The parts of the number at the front of a text, as written.
struct Written {
    std::size_t length = 0; // 0 when no number is there
    bool negative = false;
    std::string_view whole;    // the digits before the point
    std::string_view fraction; // the digits after it
    std::string_view exponent; // the exponent's digits, after its sign
    bool exponent_negative = false;
};

Written scan(std::string_view text) {
    Written w;
    std::size_t at = 0;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        w.negative = text[at++] == '-';
    std::size_t end = skip_digits(text, at);
    w.whole = text.substr(at, end - at);
    at = end;
    if (at < text.size() && text[at] == '.') {
        end = skip_digits(text, at + 1);
        w.fraction = text.substr(at + 1, end - at - 1);
        at = end;
    }
    if (w.whole.empty() && w.fraction.empty())
        return {};
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        std::size_t sign = at + 1;
        bool negative = sign < text.size() && text[sign] == '-';
        std::size_t first = sign < text.size() && (negative || text[sign] == '+') ? sign + 1 : sign;
        end = skip_digits(text, first);
        if (end > first) {
            w.exponent = text.substr(first, end - first);
            w.exponent_negative = negative;
            at = end;
        }
    }
    w.length = at;
    return w;
}

// The written exponent, held to twelve digits: a larger one makes no
// difference to any double, and keeps the sums below from overflowing.
std::int64_t exponent_of(const Written& w) {
    constexpr std::int64_t most = 1'000'000'000'000;
    std::int64_t exponent = 0;
    for (char ch : w.exponent) {
        exponent = exponent * 10 + (ch - '0');
        if (exponent >= most) {
            exponent = most;
            break;
        }
    }
    return w.exponent_negative ? -exponent : exponent;
}

Decimal decimal_of(const Written& w) {
    Decimal d;
    d.negative = w.negative;
    d.digits.reserve(w.whole.size() + w.fraction.size());
    d.digits.append(w.whole).append(w.fraction);
    std::size_t first = d.digits.find_first_not_of('0');
    if (first == std::string::npos)
        return {w.negative, {}, 0};
    std::size_t last = d.digits.find_last_not_of('0');
    d.exponent = exponent_of(w) - static_cast<std::int64_t>(w.fraction.size()) +
                 static_cast<std::int64_t>(d.digits.size() - 1 - last);
    d.digits = d.digits.substr(first, last + 1 - first);
    return d;
}

// The number's text as the converter takes it: "-", the digits, "e" and
// the exponent. A short number's text fits in the string itself, with no
// allocation: a long sweep converts one for each loss.
template <typename Real> Real nearest(const Decimal& number) {
    std::string text;
    if (number.negative)
        text += '-';
    text += number.is_zero() ? "0" : number.digits;
    char exponent[24] = {'e'};
    auto written = std::to_chars(exponent + 1, exponent + sizeof exponent, number.exponent);
    text.append(exponent, written.ptr);
    Real value = 0;
    fast_float::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

} // namespace

std::size_t scan_decimal(std::string_view text) { return scan(text).length; }

std::optional<Decimal> take_decimal(std::string_view& text) {
    Written w = scan(text);
    if (w.length == 0)
        return std::nullopt;
    text.remove_prefix(w.length);
    return decimal_of(w);
}

double to_double(const Decimal& number) { return nearest<double>(number); }

float to_float(const Decimal& number) { return nearest<float>(number); }

double to_double(std::int64_t whole, std::int64_t exponent) {
    char text[48];
    char* end = std::to_chars(text, text + 24, whole).ptr;
    *end++ = 'e';
    end = std::to_chars(end, text + sizeof text, exponent).ptr;
    double value = 0;
    fast_float::from_chars(text, end, value);
    return value;
}

} // namespace padcalc
