#include "quantity.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <initializer_list>

namespace padcalc {
namespace {

const char not_ohms[] = "not a resistance in ohms: such as 50, 4k7, 2R2, 2.2M or 50ohm";
const char not_decibels[] = "not a loss in dB: such as 10 or 10dB";
const char not_hertz[] = "not a frequency in hertz: such as 1000, 1k, 2.4G or 1MHz";
const char power_forms[] = "W with an optional prefix (1W, 250mW), or dBm (30dBm)";

bool is_digit(char ch) { return ch >= '0' && ch <= '9'; }

bool is_one_of(std::string_view text, std::initializer_list<std::string_view> words) {
    return std::find(words.begin(), words.end(), text) != words.end();
}

// The power of ten of an SI prefix at the front of `text`, removed from it;
// nothing when there is none. Resistors are marked with a capital K for
// kilo too, as IEC 60062 writes it (4K7, 2.2K).
std::optional<int> take_prefix(std::string_view& text, bool capital_kilo) {
    struct Prefix {
        std::string_view symbol;
        int power;
    };
    static constexpr Prefix prefixes[] = {{"f", -15}, {"p", -12},     {"n", -9},
                                          {"u", -6},  {"\u00b5", -6}, {"m", -3},
                                          {"k", 3},   {"M", 6},       {"G", 9}};
    for (const Prefix& p : prefixes) {
        if (text.starts_with(p.symbol)) {
            text.remove_prefix(p.symbol.size());
            return p.power;
        }
    }
    if (capital_kilo && text.starts_with('K')) {
        text.remove_prefix(1);
        return 3;
    }
    return std::nullopt;
}

// The number times ten to `power`: exact, so 2.2k is the double nearest 2200.
Decimal scaled(Decimal number, int power) {
    if (!number.is_zero())
        number.exponent += power;
    return number;
}

// The resistor code at the front of `text`, removed from it: a sign, digits,
// R or a prefix in place of the decimal point, then digits, as in 4k7
// (4.7 kΩ) and 2R2 (2.2 Ω). The digits before the point may be left out,
// as in R47 (0.47 Ω) and K47 (470 Ω).
std::optional<Decimal> take_resistor_code(std::string_view& text) {
    std::size_t sign = text.starts_with('+') || text.starts_with('-') ? 1 : 0;
    std::size_t whole_end = sign;
    while (whole_end < text.size() && is_digit(text[whole_end]))
        ++whole_end;
    if (whole_end == text.size())
        return std::nullopt;
    std::string_view rest = text.substr(whole_end);
    int power = 0;
    if (rest.front() == 'R' || rest.front() == 'r')
        rest.remove_prefix(1);
    else if (std::optional<int> prefix = take_prefix(rest, true))
        power = *prefix;
    else
        return std::nullopt;
    std::size_t fraction = 0;
    while (fraction < rest.size() && is_digit(rest[fraction]))
        ++fraction;
    if (fraction == 0)
        return std::nullopt;
    std::string number = std::string(text.substr(0, whole_end)) + (whole_end == sign ? "0." : ".") +
                         std::string(rest.substr(0, fraction));
    std::string_view digits = number;
    std::optional<Decimal> value = take_decimal(digits);
    text = rest.substr(fraction);
    return scaled(*value, power);
}

// A number with an optional SI prefix, then one of `units`.
std::optional<Decimal> read_with_unit(std::string_view text, bool capital_kilo,
                                      std::initializer_list<std::string_view> units) {
    std::optional<Decimal> number = take_decimal(text);
    if (!number)
        return std::nullopt;
    std::optional<int> prefix = take_prefix(text, capital_kilo);
    if (!is_one_of(text, units))
        return std::nullopt;
    return scaled(*number, prefix.value_or(0));
}

// A loss in dB, exactly as written.
std::optional<Decimal> read_decibels(std::string_view text) {
    std::optional<Decimal> number = take_decimal(text);
    if (!number || !is_one_of(text, {"", "dB", "db"}))
        return std::nullopt;
    return number;
}

// Watts, or dBm converted to watts; a plain number is watts only when
// `plain_is_watts`.
Expected<double> read_power(std::string_view text, bool plain_is_watts) {
    std::optional<Decimal> number = take_decimal(text);
    if (!number)
        return Refusal{std::string("not a power: write ") + power_forms};
    double watts = 0;
    if (is_one_of(text, {"dBm", "dbm"})) {
        watts = std::pow(10.0, to_double(*number) / 10.0) / 1000.0; // 0 dBm is one milliwatt
    } else {
        std::optional<int> prefix = take_prefix(text, false);
        bool plain = text.empty();
        if (!is_one_of(text, {"W", "w"}) && !(plain && plain_is_watts)) {
            if (plain && !prefix)
                return Refusal{std::string("a plain number could be watts or dBm: write ") +
                               power_forms};
            return Refusal{std::string("not a power: write ") + power_forms};
        }
        watts = to_double(scaled(*number, prefix.value_or(0)));
    }
    if (!(watts > 0) || !std::isfinite(watts))
        return Refusal{"must be a finite power greater than 0 W"};
    return watts;
}

// The three parts of FROM:TO:STEP or START:STOP:POINTS; nothing unless
// there are exactly three.
std::optional<std::array<std::string_view, 3>> three_parts(std::string_view text) {
    std::size_t first = text.find(':');
    std::size_t second = first == std::string_view::npos ? first : text.find(':', first + 1);
    if (second == std::string_view::npos || text.find(':', second + 1) != std::string_view::npos)
        return std::nullopt;
    return std::array{text.substr(0, first), text.substr(first + 1, second - first - 1),
                      text.substr(second + 1)};
}

} // namespace

std::string entry_refusal(std::string_view name, std::string_view text, std::string_view reason) {
    return std::string(name) + " '" + std::string(text) + "': " + std::string(reason);
}

Expected<double> parse_ohms(std::string_view text) {
    std::string_view rest = text;
    if (std::optional<Decimal> code = take_resistor_code(rest)) {
        if (!rest.empty())
            return Refusal{
                "nothing may follow a resistor code such as 4k7 or 2R2, not even a unit"};
        return to_double(*code);
    }
    std::optional<Decimal> ohms = read_with_unit(
        text, true, {"", "ohm", "ohms", "Ohm", "Ohms", "R", "r", "\u03a9", "\u2126"});
    if (!ohms)
        return Refusal{not_ohms};
    return to_double(*ohms);
}

Expected<double> parse_decibels(std::string_view text) {
    std::optional<Decimal> loss = read_decibels(text);
    if (!loss)
        return Refusal{not_decibels};
    return to_double(*loss);
}

Expected<double> parse_hertz(std::string_view text) {
    std::optional<Decimal> hertz = read_with_unit(text, false, {"", "Hz", "hz"});
    if (!hertz)
        return Refusal{not_hertz};
    return to_double(*hertz);
}

Expected<double> parse_power(std::string_view text) { return read_power(text, false); }

Expected<double> parse_rating(std::string_view text) { return read_power(text, true); }

Expected<double> parse_tolerance(std::string_view text) {
    std::optional<Decimal> percent = take_decimal(text);
    if (!percent || !is_one_of(text, {"", "%"}))
        return Refusal{"not a percentage: such as 1 or 1%"};
    double value = to_double(*percent);
    if (!(value >= 0 && value < 100))
        return Refusal{"must be from 0 % to below 100 %"};
    return value + 0.0; // -0 is 0
}

namespace {

// An inductance or capacitance: a prefix of the small ones moves the
// decimal point, and takes no exponent written beside it (1e-3n).
Expected<double> read_small(std::string_view text, std::string_view unit, const char* refusal) {
    std::string_view rest = text;
    std::optional<Decimal> number = take_decimal(rest);
    if (!number)
        return Refusal{refusal};
    std::string_view digits = text.substr(0, text.size() - rest.size());
    std::optional<int> prefix = take_prefix(rest, false);
    bool exponent = digits.find_first_of("eE") != std::string_view::npos;
    if ((prefix && (*prefix > 0 || exponent)) || !(rest.empty() || rest == unit))
        return Refusal{refusal};
    return to_double(scaled(*number, prefix.value_or(0)));
}

} // namespace

Expected<double> parse_henries(std::string_view text) {
    return read_small(text, "H", "not an inductance: such as 0.4nH or 0.4n");
}

Expected<double> parse_farads(std::string_view text) {
    return read_small(text, "F", "not a capacitance: such as 0.05pF or 50f");
}

Expected<double> parse_volts(std::string_view text) {
    std::optional<Decimal> volts = read_with_unit(text, false, {"", "V", "v"});
    if (!volts)
        return Refusal{"not a voltage: such as 50, 50V or 500mV"};
    return to_double(*volts);
}

Expected<double> parse_celsius(std::string_view text) {
    std::optional<Decimal> degrees = take_decimal(text);
    if (!degrees || !is_one_of(text, {"", "C", "\u00b0C"}))
        return Refusal{"not a temperature in degrees Celsius: such as 85 or 85C"};
    return to_double(*degrees);
}

Expected<Losses> parse_losses(std::string_view text) {
    if (text.find(':') == std::string_view::npos) {
        std::optional<Decimal> loss = read_decibels(text);
        if (!loss)
            return Refusal{"not a loss in dB (10, 10dB) or a sweep FROM:TO:STEP (1:20:0.5)"};
        return Losses{*loss, {}, 1};
    }
    std::optional<std::array<std::string_view, 3>> parts = three_parts(text);
    if (!parts)
        return Refusal{"a sweep is FROM:TO:STEP, such as 1:20:0.5"};
    std::optional<Decimal> from = read_decibels((*parts)[0]);
    std::optional<Decimal> to = read_decibels((*parts)[1]);
    std::optional<Decimal> step = read_decibels((*parts)[2]);
    if (!from || !to || !step)
        return Refusal{std::string(!from ? "FROM" : !to ? "TO" : "STEP") + " is " + not_decibels};
    return loss_sweep(*from, *to, *step);
}

Expected<std::vector<double>> parse_frequencies(std::string_view text) {
    std::optional<std::array<std::string_view, 3>> parts = three_parts(text);
    if (!parts)
        return Refusal{"not START:STOP:POINTS, such as 1MHz:1GHz:11"};
    Expected<double> start = parse_hertz((*parts)[0]);
    Expected<double> stop = parse_hertz((*parts)[1]);
    if (!start || !stop)
        return Refusal{std::string(!start ? "START" : "STOP") + " is " + not_hertz};
    std::string_view count = (*parts)[2];
    int points = 0;
    auto read = std::from_chars(count.data(), count.data() + count.size(), points);
    if (read.ec != std::errc{} || read.ptr != count.data() + count.size() || points < 1 ||
        points > max_frequency_count)
        return Refusal{"POINTS must be a whole number from 1 to 1,000,000"};
    return frequency_sweep(*start, *stop, points);
}

} // namespace padcalc
