// The options of the power figures besides --power and --rating: the load,
// the voltage rating and the derating with temperature.
#include "quantity.h"
#include "settings.h"

#include <cmath>

#include <fast_float/fast_float.h>
#include <fmt/format.h>

namespace padcalc {
namespace {

OptionFault refused(std::string_view option, const std::string& text, std::string_view why) {
    return OptionFault{option, entry_refusal(option, text, why)};
}

// matched, open, short, all, or a VSWR S:1.
std::optional<OptionFault> read_load(const std::string& text, Settings& s) {
    using Kind = Load::Kind;
    if (text == "all") {
        s.loads = {{Kind::matched}, {Kind::open}, {Kind::shorted}};
        return std::nullopt;
    }
    for (auto [word, kind] :
         {std::pair{"matched", Kind::matched}, {"open", Kind::open}, {"short", Kind::shorted}})
        if (text == word) {
            s.loads = {{kind}};
            return std::nullopt;
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
    return std::nullopt;
}

// KNEE:LIMIT, in degrees Celsius.
std::optional<OptionFault> read_derating(const std::string& text, Settings& s) {
    std::string_view knee_text = text;
    std::string_view limit_text;
    if (std::size_t colon = text.find(':'); colon != std::string::npos) {
        knee_text = knee_text.substr(0, colon);
        limit_text = std::string_view(text).substr(colon + 1);
    }
    Parsed<double> knee = parse_celsius(knee_text);
    Parsed<double> limit = parse_celsius(limit_text);
    if (!knee || !limit || !std::isfinite(*knee) || !std::isfinite(*limit))
        return refused("--derate", text, "KNEE:LIMIT in degrees Celsius, such as 70:155");
    if (!(*limit > *knee))
        return refused("--derate", text, "the LIMIT must be above the KNEE");
    s.derating = {*knee, *limit};
    return std::nullopt;
}

std::optional<OptionFault> read_ambient(const std::string& text, Settings& s) {
    Parsed<double> ambient = parse_celsius(text);
    if (!ambient || !std::isfinite(*ambient))
        return refused("--ambient", text, "a temperature in degrees Celsius, such as 85");
    if (*ambient > s.derating.limit)
        return refused("--ambient", text,
                       fmt::format("above the derating's limit of {:g} C", s.derating.limit));
    if (*ambient < -273.15)
        return refused("--ambient", text, "below absolute zero, -273.15 C");
    s.ambient = *ambient;
    return std::nullopt;
}

std::optional<OptionFault> read_max_voltage(const std::string& text, Settings& s) {
    Parsed<double> volts = parse_volts(text);
    if (!volts || !std::isfinite(*volts) || !(*volts > 0))
        return refused("--max-voltage", text, "a positive voltage, such as 50 or 50V");
    s.max_voltage = *volts;
    return std::nullopt;
}

} // namespace

std::optional<OptionFault> read_power_options(const OptionTexts& t, Settings& s) {
    std::optional<OptionFault> fault;
    if (!t.load.empty())
        fault = read_load(t.load, s);
    if (!fault && !t.max_voltage.empty())
        fault = read_max_voltage(t.max_voltage, s);
    if (!fault && !t.derate.empty())
        fault = read_derating(t.derate, s);
    if (!fault && !t.ambient.empty())
        fault = read_ambient(t.ambient, s);
    return fault;
}

} // namespace padcalc
