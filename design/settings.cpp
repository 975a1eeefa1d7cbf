#include "settings.h"

#include "quantity.h"
#include "spice.h"

namespace padcalc {
namespace {

struct Need {
    std::string_view option;
    std::string_view needed;
};

// In the order the command line defines the options, so that its first
// complaint is this one's first.
constexpr Need needs[] = {{"--pairs", "--series"},   {"--tolerance", "--series"},
                          {"--rating", "--power"},   {"--name", "--spice"},
                          {"--nearest", "--series"}, {"--freq", "--touchstone"}};

// An optional number: a text left empty is not asked for.
std::optional<OptionFault> read_optional(Parsed<double> (*parse)(std::string_view),
                                         std::string_view option, const std::string& text,
                                         std::optional<double>& value) {
    if (text.empty())
        return std::nullopt;
    Parsed<double> parsed = read_entry(parse, option, text);
    if (!parsed)
        return OptionFault{option, parsed.reason()};
    value = *parsed;
    return std::nullopt;
}

} // namespace

std::optional<OptionFault> read_options(const OptionTexts& t, Settings& s) {
    if (!t.series.empty()) {
        s.series = find_series(t.series);
        if (!s.series)
            return OptionFault{"--series",
                               entry_refusal("--series", t.series,
                                             "not a series: E3, E6, E12, E24, E48, E96 or E192")};
    }
    s.spice_name = t.name;
    s.touchstone = t.touchstone;
    if (!s.spice_name.empty() && !valid_spice_name(s.spice_name))
        return OptionFault{
            "--name",
            entry_refusal("--name", s.spice_name,
                          "not a SPICE name: a letter, then letters, digits and underscores")};
    if (auto fault = read_optional(parse_tolerance, "--tolerance", t.tolerance, s.tolerance))
        return fault;
    if (auto fault = read_optional(parse_power, "--power", t.power, s.power))
        return fault;
    if (auto fault = read_optional(parse_rating, "--rating", t.rating, s.rating))
        return fault;
    if (!s.touchstone.empty()) {
        Parsed<std::vector<double>> hz = read_entry(parse_frequencies, "--freq", t.freq);
        if (!hz)
            return OptionFault{"--freq", hz.reason()};
        s.frequencies = *hz;
    }
    return std::nullopt;
}

std::string_view needed_option(std::string_view option) {
    for (const Need& n : needs)
        if (n.option == option)
            return n.needed;
    return {};
}

std::optional<OptionFault> unmet_need(const std::function<bool(std::string_view)>& given) {
    for (const Need& n : needs)
        if (given(n.option) && !given(n.needed))
            return OptionFault{n.option,
                               std::string(n.option) + " requires " + std::string(n.needed)};
    return std::nullopt;
}

} // namespace padcalc
