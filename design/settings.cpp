#include "settings.h"

#include "part_model.h"
#include "quantity.h"
#include "spice.h"

#include <cmath>

namespace padcalc {
namespace {

struct Need {
    std::string_view option;
    std::string_view needed;
};

// In the order the command line defines the options, so that its first
// complaint is this one's first.
constexpr Need needs[] = {
    {"--pairs", "--series"},   {"--tolerance", "--series"},  {"--rating", "--power"},
    {"--load", "--power"},     {"--max-voltage", "--power"}, {"--ambient", "--rating"},
    {"--derate", "--ambient"}, {"--name", "--spice"},        {"--nearest", "--series"}};

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

std::optional<OptionFault> read_series_and_name(const OptionTexts& t, Settings& s) {
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
        return OptionFault{"--name",
                           entry_refusal("--name", s.spice_name,
                                         s.spice_name.size() > max_spice_name
                                             ? "longer than the 128 characters a SPICE name "
                                               "may have"
                                             : "not a SPICE name: a letter, then letters, "
                                               "digits and underscores")};
    return std::nullopt;
}

// The parts at radio frequencies: a package's values, each overridden by a
// value given. Each must be from 0 to 1 H or 1 F.
std::optional<OptionFault> read_part_model(const OptionTexts& t, Settings& s) {
    PartModel m;
    if (!t.package.empty()) {
        const Package* p = find_package(t.package);
        if (!p)
            return OptionFault{"--package", "unknown --package '" + t.package +
                                                "': 0201, 0402 or 0603, the sizes with "
                                                "published values"};
        m = {p->ls, p->cp, 0};
        s.package = t.package;
    }
    struct Value {
        const std::string& text;
        std::string_view option;
        Parsed<double> (*parse)(std::string_view);
        double& value;
        const char* what;
    } values[] = {{t.ls, "--ls", parse_henries, m.ls, "must be an inductance from 0 to 1 H"},
                  {t.cp, "--cp", parse_farads, m.cp, "must be a capacitance from 0 to 1 F"},
                  {t.cg, "--cg", parse_farads, m.cg, "must be a capacitance from 0 to 1 F"}};
    for (const Value& v : values) {
        if (v.text.empty())
            continue;
        Parsed<double> parsed = v.parse(v.text);
        if (!parsed)
            return OptionFault{v.option, entry_refusal(v.option, v.text, parsed.reason())};
        if (!(*parsed >= 0 && *parsed <= 1))
            return OptionFault{v.option, entry_refusal(v.option, v.text, v.what)};
        v.value = *parsed;
    }
    if (!t.package.empty() || !t.ls.empty() || !t.cp.empty() || !t.cg.empty())
        s.part_model = m;
    return std::nullopt;
}

// Where a pad holds, and the comparison: they need a part model.
std::optional<OptionFault> read_band(const OptionTexts& t, Settings& s) {
    for (auto [text, option] : {std::pair{&t.flat, "--flat"}, {&t.match, "--match"}}) {
        if (text->empty())
            continue;
        Parsed<double> db = parse_decibels(*text);
        bool flat = text == &t.flat;
        if (!db || !std::isfinite(*db) || !(flat ? *db > 0 : *db >= 0))
            return OptionFault{option, entry_refusal(option, *text,
                                                     flat ? "must be a number of dB above 0"
                                                          : "must be a number of dB, at least 0")};
        (flat ? s.limits.flat_db : s.limits.match_db) = *db;
    }
    std::string_view without = !t.flat.empty()    ? "--flat"
                               : !t.match.empty() ? "--match"
                               : s.compare        ? "--compare"
                                                  : "";
    if (!without.empty() && !s.part_model)
        return OptionFault{without, std::string(without) +
                                        " needs the parts' model: --ls, --cp, --cg or --package"};
    return std::nullopt;
}

// The frequencies of the sweep, or else of the Touchstone file.
std::optional<OptionFault> read_frequencies(const OptionTexts& t, Settings& s) {
    s.sweep = !t.freq.empty();
    if (!s.sweep && s.touchstone.empty())
        return std::nullopt;
    std::string_view text = s.sweep ? std::string_view(t.freq) : default_frequencies;
    Parsed<std::vector<double>> hz = read_entry(parse_frequencies, "--freq", text);
    if (!hz)
        return OptionFault{"--freq", hz.reason()};
    s.frequencies = *hz;
    if (s.part_model && s.frequencies.back() > 1e15)
        return OptionFault{"--freq",
                           entry_refusal("--freq", t.freq, "with the parts' model, at most 1 PHz")};
    return std::nullopt;
}

} // namespace

std::optional<OptionFault> read_options(const OptionTexts& t, Settings& s) {
    std::optional<OptionFault> fault = read_series_and_name(t, s);
    if (!fault)
        fault = read_optional(parse_tolerance, "--tolerance", t.tolerance, s.tolerance);
    if (!fault)
        fault = read_optional(parse_power, "--power", t.power, s.power);
    if (!fault)
        fault = read_optional(parse_rating, "--rating", t.rating, s.rating);
    if (!fault)
        fault = read_power_options(t, s);
    if (!fault)
        fault = read_part_model(t, s);
    if (!fault)
        fault = read_band(t, s);
    if (!fault)
        fault = read_frequencies(t, s);
    return fault;
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
