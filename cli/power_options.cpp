#include "power_options.h"

#include "design/quantity.h"

#include <charconv>
#include <cmath>

namespace padcalc {
namespace {

std::string refused(std::string_view option, const std::string& text, std::string_view why) {
    return std::string(option) + " '" + text + "': " + std::string(why);
}

// matched, open, short, all, or a VSWR S:1.
bool read_load(const std::string& text, Settings& s, std::string& error) {
    using Kind = Load::Kind;
    if (text == "all") {
        s.loads = {{Kind::matched}, {Kind::open}, {Kind::shorted}};
        return true;
    }
    for (auto [word, kind] :
         {std::pair{"matched", Kind::matched}, {"open", Kind::open}, {"short", Kind::shorted}})
        if (text == word) {
            s.loads = {{kind}};
            return true;
        }
    double vswr = 0;
    const char* end = text.data() + text.size() - 2;
    auto read = std::from_chars(text.data(), std::max(end, text.data()), vswr);
    if (text.size() < 3 || !text.ends_with(":1") || read.ec != std::errc{} || read.ptr != end ||
        !std::isfinite(vswr)) {
        error = refused("--load", text, "matched, open, short, all, or a VSWR such as 3:1");
        return false;
    }
    if (!(vswr >= 1)) {
        error = refused("--load", text, "a VSWR is at least 1:1");
        return false;
    }
    s.loads = {{Kind::vswr, vswr}};
    return true;
}

// KNEE:LIMIT, in degrees Celsius.
bool read_derating(const std::string& text, Settings& s, std::string& error) {
    std::string_view knee_text = text;
    std::string_view limit_text;
    if (std::size_t colon = text.find(':'); colon != std::string::npos) {
        knee_text = knee_text.substr(0, colon);
        limit_text = std::string_view(text).substr(colon + 1);
    }
    Parsed<double> knee = parse_celsius(knee_text);
    Parsed<double> limit = parse_celsius(limit_text);
    if (!knee || !limit || !std::isfinite(*knee) || !std::isfinite(*limit)) {
        error = refused("--derate", text, "KNEE:LIMIT in degrees Celsius, such as 70:155");
        return false;
    }
    if (!(*limit > *knee)) {
        error = refused("--derate", text, "the LIMIT must be above the KNEE");
        return false;
    }
    s.derating = {*knee, *limit};
    return true;
}

bool read_ambient(const std::string& text, Settings& s, std::string& error) {
    Parsed<double> ambient = parse_celsius(text);
    if (!ambient || !std::isfinite(*ambient)) {
        error = refused("--ambient", text, "a temperature in degrees Celsius, such as 85");
        return false;
    }
    if (*ambient > s.derating.limit) {
        char limit[40];
        std::snprintf(limit, sizeof limit, "%g", s.derating.limit);
        error = refused("--ambient", text,
                        "above the derating's limit of " + std::string(limit) + " C");
        return false;
    }
    s.ambient = *ambient;
    return true;
}

bool read_max_voltage(const std::string& text, Settings& s, std::string& error) {
    Parsed<double> volts = parse_volts(text);
    if (!volts || !std::isfinite(*volts) || !(*volts > 0)) {
        error = refused("--max-voltage", text, "a positive voltage, such as 50 or 50V");
        return false;
    }
    s.max_voltage = *volts;
    return true;
}

} // namespace

bool read_power_options(const OptionTexts& t, Settings& s, std::string& error) {
    return (t.load.empty() || read_load(t.load, s, error)) &&
           (t.max_voltage.empty() || read_max_voltage(t.max_voltage, s, error)) &&
           (t.derate.empty() || read_derating(t.derate, s, error)) &&
           (t.ambient.empty() || read_ambient(t.ambient, s, error));
}

} // namespace padcalc
