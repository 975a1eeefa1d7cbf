// The options of the power figures besides --power and --rating: the load,
// the voltage rating and the derating with temperature.
#include "options.h"

#include "design/quantity.h"

#include <cmath>

#include <fast_float/fast_float.h>
#include <fmt/format.h>

namespace padcalc {
namespace {

Refusal refused(std::string_view option, const std::string& text, std::string_view why) {
    return Refusal{entry_refusal(option, text, why), std::string(option)};
}

// matched, open, short, all, or a VSWR S:1.
Expected<> read_load(const std::string& text, Settings& s) {
    using Kind = Load::Kind;
    if (text == "all") {
        s.loads = {{Kind::matched}, {Kind::open}, {Kind::shorted}};
        return {};
    }
    for (auto [word, kind] :
         {std::pair{"matched", Kind::matched}, {"open", Kind::open}, {"short", Kind::shorted}})
        if (text == word) {
            s.loads = {{kind}};
            return {};
        }
    double vswr = 0;
    bool ratio = text.size() >= 3 && text.ends_with(":1");
    const char* end = text.data() + (ratio ? text.size() - 2 : 0);
    auto read = fast_float::from_chars(text.data(), end, vswr);
    if (!ratio || read.ec != std::errc{} || read.ptr != end || !std::isfinite(vswr))
        return refused("--load", text, "matched, open, short, all, or a VSWR such as 3:1");
    if (!(vswr >= 1))
        return refused("--load", text, "a VSWR is at least 1:1");
    s.loads = {{Kind::vswr, vswr}};
    return {};
}

// KNEE:LIMIT, in degrees Celsius.
Expected<> read_derating(const std::string& text, Settings& s) {
    std::string_view knee_text = text;
    std::string_view limit_text;
    if (std::size_t colon = text.find(':'); colon != std::string::npos) {
        knee_text = knee_text.substr(0, colon);
        limit_text = std::string_view(text).substr(colon + 1);
    }
    Expected<double> knee = parse_celsius(knee_text);
    Expected<double> limit = parse_celsius(limit_text);
    if (!knee || !limit || !std::isfinite(*knee) || !std::isfinite(*limit))
        return refused("--derate", text, "KNEE:LIMIT in degrees Celsius, such as 70:155");
    if (!(*limit > *knee))
        return refused("--derate", text, "the LIMIT must be above the KNEE");
    s.derating = {*knee, *limit};
    return {};
}

Expected<> read_ambient(const std::string& text, Settings& s) {
    Expected<double> ambient = parse_celsius(text);
    if (!ambient || !std::isfinite(*ambient))
        return refused("--ambient", text, "a temperature in degrees Celsius, such as 85");
    if (*ambient > s.derating.limit)
        return refused("--ambient", text,
                       fmt::format("above the derating's limit of {:g} C", s.derating.limit));
    if (*ambient < -273.15)
        return refused("--ambient", text, "below absolute zero, -273.15 C");
    s.ambient = *ambient;
    return {};
}

Expected<> read_max_voltage(const std::string& text, Settings& s) {
    Expected<double> volts = parse_volts(text);
    if (!volts || !std::isfinite(*volts) || !(*volts > 0))
        return refused("--max-voltage", text, "a positive voltage, such as 50 or 50V");
    s.max_voltage = *volts;
    return {};
}

} // namespace

Expected<> read_power_options(const OptionTexts& t, Settings& s) {
    // The derating before the ambient, which must lie below its limit.
    static constexpr std::pair<std::string_view, Expected<> (*)(const std::string&, Settings&)>
        readers[] = {{"--load", read_load},
                     {"--max-voltage", read_max_voltage},
                     {"--derate", read_derating},
                     {"--ambient", read_ambient}};
    for (auto [option, read] : readers)
        if (t.given(option))
            if (Expected<> done = read(t.text(option), s); !done)
                return done;
    return {};
}

} // namespace padcalc
