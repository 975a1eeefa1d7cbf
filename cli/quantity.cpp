#include "quantity.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace padcalc {
namespace {

bool is_digit(char ch) { return ch >= '0' && ch <= '9'; }

// The leading number of `text`: an optional sign, digits with at most one
// decimal point, and an optional exponent. Words such as inf and nan are
// not numbers here. Removes what it reads from `text`.
std::optional<double> take_number(std::string_view& text) {
    std::size_t at = 0;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        ++at;
    std::size_t digits_at = at;
    while (at < text.size() && is_digit(text[at]))
        ++at;
    bool digits = at > digits_at;
    if (at < text.size() && text[at] == '.') {
        ++at;
        while (at < text.size() && is_digit(text[at])) {
            ++at;
            digits = true;
        }
    }
    if (!digits)
        return std::nullopt;
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        std::size_t exp = at + 1;
        if (exp < text.size() && (text[exp] == '+' || text[exp] == '-'))
            ++exp;
        std::size_t exp_digits = exp;
        while (exp < text.size() && is_digit(text[exp]))
            ++exp;
        if (exp > exp_digits)
            at = exp;
    }
    // from_chars takes no leading '+'; it reads in double precision, correctly rounded.
    std::string_view number = text.substr(0, at);
    bool plus = number.front() == '+';
    if (plus)
        number.remove_prefix(1);
    double value = 0;
    auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range)
        value = number.front() == '-' ? -HUGE_VAL : HUGE_VAL;
    else if (result.ec != std::errc{})
        return std::nullopt;
    text.remove_prefix(at);
    return value;
}

// The multiplier of an SI prefix at the front of `text`, removed from it;
// 1 when there is none.
double take_prefix(std::string_view& text) {
    struct Prefix {
        std::string_view symbol;
        double multiplier;
    };
    static constexpr Prefix prefixes[] = {{"p", 1e-12}, {"n", 1e-9}, {"u", 1e-6}, {"\u00b5", 1e-6},
                                          {"m", 1e-3},  {"k", 1e3},  {"M", 1e6},  {"G", 1e9}};
    for (const Prefix& p : prefixes) {
        if (text.starts_with(p.symbol)) {
            text.remove_prefix(p.symbol.size());
            return p.multiplier;
        }
    }
    return 1;
}

// The resistor code: digits, a prefix letter or R in place of the decimal
// point, then digits, as in 4k7 (4.7 kΩ) and 2R2 (2.2 Ω).
std::optional<double> take_resistor_code(std::string_view& text) {
    std::size_t at = 0;
    while (at < text.size() && is_digit(text[at]))
        ++at;
    if (at == 0 || at == text.size())
        return std::nullopt;
    std::string_view rest = text.substr(at);
    double multiplier = 1;
    if (rest.front() == 'R' || rest.front() == 'r')
        rest.remove_prefix(1);
    else if ((multiplier = take_prefix(rest)) == 1)
        return std::nullopt;
    std::size_t fraction = 0;
    while (fraction < rest.size() && is_digit(rest[fraction]))
        ++fraction;
    if (fraction == 0)
        return std::nullopt;
    std::string number =
        std::string(text.substr(0, at)) + "." + std::string(rest.substr(0, fraction));
    std::string_view digits = number;
    std::optional<double> value = take_number(digits);
    text = rest.substr(fraction);
    return value ? std::optional<double>(*value * multiplier) : std::nullopt;
}

bool is_one_of(std::string_view text, std::initializer_list<std::string_view> words) {
    return std::ranges::any_of(words, [text](std::string_view word) { return text == word; });
}

// A parasitic's value: a number, a prefix of the small ones, and the unit.
// The prefix becomes the number's exponent, so that 0.4n is the double
// nearest 0.4e-9, not 0.4 times the double nearest 1e-9.
std::optional<double> parse_small(std::string_view text, std::string_view unit) {
    struct Prefix {
        std::string_view symbol;
        int exponent;
    };
    static constexpr Prefix prefixes[] = {{"f", -15}, {"p", -12},     {"n", -9},
                                          {"u", -6},  {"\u00b5", -6}, {"m", -3}};
    std::string_view rest = text;
    if (!take_number(rest))
        return std::nullopt;
    std::string number(text.substr(0, text.size() - rest.size()));
    int exponent = 0;
    for (const Prefix& p : prefixes)
        if (rest.starts_with(p.symbol)) {
            rest.remove_prefix(p.symbol.size());
            exponent = p.exponent;
            break;
        }
    if (!rest.empty() && rest != unit)
        return std::nullopt;
    if (number.find_first_of("eE") == std::string::npos)
        number += "e" + std::to_string(exponent);
    else if (exponent != 0)
        return std::nullopt; // 1e-3n: two exponents
    std::string_view digits = number;
    return take_number(digits);
}

} // namespace

std::optional<double> parse_ohms(std::string_view text) {
    bool negative = text.starts_with('-');
    if (negative || text.starts_with('+'))
        text.remove_prefix(1);
    if (text.starts_with('-') || text.starts_with('+'))
        return std::nullopt;
    std::optional<double> value = take_resistor_code(text);
    if (!value) {
        value = take_number(text);
        if (!value)
            return std::nullopt;
        *value *= take_prefix(text);
    }
    if (!is_one_of(text, {"", "ohm", "ohms", "Ohm", "Ohms", "R", "r", "\u03a9", "\u2126"}))
        return std::nullopt;
    return negative ? -*value : *value;
}

std::optional<double> parse_decibels(std::string_view text) {
    std::optional<double> value = take_number(text);
    if (!value || !is_one_of(text, {"", "dB", "db"}))
        return std::nullopt;
    return value;
}

std::optional<double> parse_watts(std::string_view text) {
    std::optional<double> value = take_number(text);
    if (!value)
        return std::nullopt;
    if (is_one_of(text, {"dBm", "dbm"}))
        return std::pow(10.0, *value / 10.0) / 1000.0; // 0 dBm is one milliwatt
    double multiplier = take_prefix(text);
    if (!is_one_of(text, {"W", "w"}) && !(text.empty() && multiplier == 1))
        return std::nullopt;
    return *value * multiplier;
}

std::optional<double> parse_hertz(std::string_view text) {
    std::optional<double> value = take_number(text);
    if (!value)
        return std::nullopt;
    double multiplier = take_prefix(text);
    if (!is_one_of(text, {"", "Hz", "hz"}))
        return std::nullopt;
    return *value * multiplier;
}

std::optional<double> parse_henries(std::string_view text) { return parse_small(text, "H"); }

std::optional<double> parse_farads(std::string_view text) { return parse_small(text, "F"); }

std::optional<double> parse_percent(std::string_view text) {
    std::optional<double> value = take_number(text);
    if (!value || !is_one_of(text, {"", "%"}))
        return std::nullopt;
    return value;
}

std::optional<Losses> parse_losses(std::string_view text) {
    std::size_t first = text.find(':');
    if (first == std::string_view::npos) {
        std::optional<double> loss = parse_decibels(text);
        return loss ? std::optional<Losses>({*loss, 0, 1}) : std::nullopt;
    }
    std::size_t second = text.find(':', first + 1);
    if (second == std::string_view::npos)
        return std::nullopt;
    std::optional<double> from = parse_decibels(text.substr(0, first));
    std::optional<double> to = parse_decibels(text.substr(first + 1, second - first - 1));
    std::optional<double> step = parse_decibels(text.substr(second + 1));
    if (!from || !to || !step || !std::isfinite(*from) || !std::isfinite(*to) || !(*step > 0) ||
        *to < *from)
        return std::nullopt;
    // Count the steps, allowing for rounding in the division, so that
    // floating-point error cannot drop the last loss.
    double span = (*to - *from) / *step;
    if (!(span < static_cast<double>(max_sweep_count)))
        return std::nullopt;
    auto steps = static_cast<long>(std::floor(span + 1e-9 * (1.0 + span)));
    return Losses{*from, *step, steps + 1};
}

} // namespace padcalc
