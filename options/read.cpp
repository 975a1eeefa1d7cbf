// The options' values read into the settings, in the one order the command
// line and the page both follow.
#include "options.h"

#include "design/cascade.h"
#include "design/part_model.h"
#include "design/quantity.h"
#include "design/spice.h"

#include <charconv>
#include <cmath>

namespace padcalc {
namespace {

Refusal refused(std::string_view option, std::string_view text, std::string_view why) {
    return Refusal{entry_refusal(option, text, why), std::string(option)};
}

// An optional number: an option not given is not asked for.
Expected<> read_optional(Expected<double> (*parse)(std::string_view), std::string_view option,
                         const OptionTexts& t, std::optional<double>& value) {
    if (!t.given(option))
        return {};
    Expected<double> parsed = read_entry(parse, option, t.text(option));
    if (!parsed)
        return parsed.refusal();
    value = *parsed;
    return {};
}

Expected<> read_series_and_name(const OptionTexts& t, Settings& s) {
    if (t.given("--series")) {
        s.series = find_series(t.text("--series"));
        if (!s.series)
            return refused("--series", t.text("--series"),
                           "not a series: E3, E6, E12, E24, E48, E96 or E192");
    }
    s.spice_name = t.text("--name");
    s.touchstone = t.text("--touchstone");
    if (!s.spice_name.empty() && !valid_spice_name(s.spice_name))
        return refused("--name", s.spice_name,
                       s.spice_name.size() > max_spice_name
                           ? "longer than the 128 characters a SPICE name may have"
                           : "not a SPICE name: a letter, then letters, digits and underscores");
    return {};
}

// The parts at radio frequencies: a package's values, each overridden by a
// value given. Each must be from 0 to 1 H or 1 F.
Expected<> read_part_model(const OptionTexts& t, Settings& s) {
    PartModel m;
    if (t.given("--package")) {
        const std::string& size = t.text("--package");
        const Package* p = find_package(size);
        if (!p)
            return Refusal{"unknown --package '" + size +
                               "': 0201, 0402 or 0603, the sizes with published values",
                           "--package"};
        m = {p->ls, p->cp, 0};
        s.package = size;
    }
    struct Value {
        std::string_view option;
        Expected<double> (*parse)(std::string_view);
        double& value;
        const char* what;
    } values[] = {{"--ls", parse_henries, m.ls, "must be an inductance from 0 to 1 H"},
                  {"--cp", parse_farads, m.cp, "must be a capacitance from 0 to 1 F"},
                  {"--cg", parse_farads, m.cg, "must be a capacitance from 0 to 1 F"}};
    bool given = t.given("--package");
    for (const Value& v : values) {
        if (!t.given(v.option))
            continue;
        given = true;
        const std::string& text = t.text(v.option);
        Expected<double> parsed = v.parse(text);
        if (!parsed)
            return refused(v.option, text, parsed.reason());
        if (!(*parsed >= 0 && *parsed <= 1))
            return refused(v.option, text, v.what);
        v.value = *parsed;
    }
    if (given)
        s.part_model = m;
    return {};
}

// Where a pad holds, and the comparison: they need a part model.
Expected<> read_band(const OptionTexts& t, Settings& s) {
    for (std::string_view option : {"--flat", "--match"}) {
        if (!t.given(option))
            continue;
        const std::string& text = t.text(option);
        Expected<double> db = parse_decibels(text);
        bool flat = option == "--flat";
        if (!db || !std::isfinite(*db) || !(flat ? *db > 0 : *db >= 0))
            return refused(option, text,
                           flat ? "must be a number of dB above 0"
                                : "must be a number of dB, at least 0");
        (flat ? s.limits.flat_db : s.limits.match_db) = *db;
    }
    std::string_view without = t.given("--flat")    ? "--flat"
                               : t.given("--match") ? "--match"
                               : s.compare          ? "--compare"
                                                    : "";
    if (!without.empty() && !s.part_model)
        return Refusal{std::string(without) +
                           " needs the parts' model: --ls, --cp, --cg or --package",
                       std::string(without)};
    return {};
}

// The frequencies of the sweep, or else of the Touchstone file.
Expected<> read_frequencies(const OptionTexts& t, Settings& s) {
    s.sweep = t.given("--freq");
    if (!s.sweep && s.touchstone.empty())
        return {};
    std::string_view text = s.sweep ? std::string_view(t.text("--freq")) : default_frequencies;
    Expected<std::vector<double>> hz = read_entry(parse_frequencies, "--freq", text);
    if (!hz)
        return hz.refusal();
    s.frequencies = *hz;
    if (s.part_model && s.frequencies.back() > 1e15)
        return refused("--freq", text, "with the parts' model, at most 1 PHz");
    return {};
}

// A cascade's stages: a whole number of them, or auto (none).
Expected<> read_stages(const OptionTexts& t, Settings& s) {
    const std::string& text = t.text("--stages");
    if (text == "auto") {
        if (!s.power || !s.rating)
            return Refusal{"--stages auto needs --power and --rating", "--stages"};
        s.stages.reset();
        return {};
    }
    int n = 0;
    auto read = std::from_chars(text.data(), text.data() + text.size(), n);
    if (read.ec != std::errc{} || read.ptr != text.data() + text.size() || n < 1 || n > max_stages)
        return Refusal{"--stages '" + text + "': a whole number of stages from 1 to " +
                           std::to_string(max_stages) + ", or auto",
                       "--stages"};
    s.stages = n;
    return {};
}

Expected<> read_split(const std::string& text, Settings& s) {
    if (text == "equal")
        s.split = Split::equal;
    else if (!text.empty() && text != "dissipation")
        return Refusal{"--split '" + text + "': dissipation or equal", "--split"};
    return {};
}

Expected<> read_cascade_options(const OptionTexts& t, Settings& s) {
    if (t.given("--stages"))
        if (Expected<> read = read_stages(t, s); !read)
            return read;
    return read_split(t.text("--split"), s);
}

} // namespace

const std::string& OptionTexts::text(std::string_view name) const {
    static const std::string none;
    auto it = texts_.find(name);
    return it == texts_.end() ? none : it->second;
}

Expected<> check_needs(const OptionTexts& t) {
    for (const Option& o : options())
        if (!o.needs.empty() && t.given(o.name) && !t.given(o.needs))
            return Refusal{std::string(o.name) + " requires " + std::string(o.needs),
                           std::string(o.name)};
    return {};
}

Expected<> read_options(const OptionTexts& t, Settings& s) {
    for (const Option& o : options())
        if (o.set && t.given(o.name))
            o.set(s);
    using Step = Expected<> (*)(const OptionTexts&, Settings&);
    static constexpr Step steps[] = {
        read_series_and_name,
        [](const OptionTexts& t, Settings& s) {
            return read_optional(parse_tolerance, "--tolerance", t, s.tolerance);
        },
        [](const OptionTexts& t, Settings& s) {
            return read_optional(parse_power, "--power", t, s.power);
        },
        [](const OptionTexts& t, Settings& s) {
            return read_optional(parse_rating, "--rating", t, s.rating);
        },
        read_power_options,
        read_part_model,
        read_band,
        read_frequencies,
        read_cascade_options,
    };
    for (Step step : steps)
        if (Expected<> read = step(t, s); !read)
            return read;
    return {};
}

Expected<Settings> read_request(const OptionTexts& t,
                                const std::function<Expected<>()>& read_entries) {
    Settings s;
    if (Expected<> needs = check_needs(t); !needs)
        return needs.refusal();
    if (Expected<> entries = read_entries(); !entries)
        return entries.refusal();
    if (Expected<> read = read_options(t, s); !read)
        return read.refusal();
    return s;
}

} // namespace padcalc
