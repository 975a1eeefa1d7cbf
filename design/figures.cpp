#include "figures.h"

#include "export_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>

namespace padcalc {
namespace {

// The limit reached first, as what happens to the pad there.
std::string limit_text(Limit limit, const Limits& l) {
    std::string match = exact_number(l.match_db) + " dB";
    switch (limit) {
    case Limit::loss:
        return "the loss moves more than " + exact_number(l.flat_db) + " dB from its value at DC";
    case Limit::return_loss_in:
        return "the input return loss falls below " + match;
    case Limit::return_loss_out:
        return "the output return loss falls below " + match;
    }
    return {};
}

// A part's inductance or capacitance: none is 0, not 0.000 with no prefix.
std::string parasitic(double value, std::string_view unit, bool ascii) {
    return value == 0 ? "0 " + std::string(unit) : engineering(value, unit, ascii);
}

} // namespace

std::string fixed_point(double value, int decimals) {
    if (!std::isfinite(value))
        return "-";
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    // A figure that rounds to zero has no sign: -0.001 to two decimals is 0.00.
    if (text[0] == '-' && std::strspn(text + 1, "0.") == std::strlen(text + 1))
        return text + 1;
    return text;
}

std::string exact_figure(double value) { return std::isfinite(value) ? exact_number(value) : "-"; }

std::string return_loss_text(double db) { return db >= 300 ? "> 300" : fixed_point(db, 2); }

std::string engineering(double value, std::string_view unit, bool ascii) {
    static constexpr const char* prefixes[] = {"y", "z", "a", "f", "p", "n", "µ", "m", "",
                                               "k", "M", "G", "T", "P", "E", "Z", "Y"};
    constexpr int units = 8; // where the prefixes reach the unit itself
    if (!std::isfinite(value))
        return fixed_point(value, 3);
    if (value == 0)
        return fixed_point(0.0, 3) + " " + std::string(unit);
    // Rounded once, in decimal, to four significant figures: "-d.ddde-XX".
    // The prefix is that of the rounded figure, so that 999.96 is 1.000 k
    // and 999.95e24 is past yotta.
    char text[32];
    std::snprintf(text, sizeof text, "%.3e", value);
    const char* e = std::strchr(text, 'e');
    int exponent = std::atoi(e + 1);
    int power = exponent >= 0 ? exponent / 3 : (exponent - 2) / 3;
    // Past the prefixes at either end (a power of -300 dBm): powers of ten.
    if (power + units < 0 || power + units >= static_cast<int>(std::size(prefixes)))
        return text + (" " + std::string(unit));
    std::size_t sign = text[0] == '-' ? 1 : 0;
    std::string digits = {text[sign], text[sign + 2], text[sign + 3], text[sign + 4]};
    std::size_t whole = static_cast<std::size_t>(exponent - 3 * power) + 1; // 1 to 3
    std::string prefix = prefixes[power + units];
    if (ascii && prefix == "µ")
        prefix = "u";
    return (sign ? "-" : "") + digits.substr(0, whole) + "." + digits.substr(whole) + " " + prefix +
           std::string(unit);
}

std::string holds_text(const Holds& h, const Limits& l, bool ascii) {
    switch (h.kind) {
    case Holds::Kind::to:
        return "holds to " + engineering(h.hz, "Hz", ascii) + "; above it " +
               limit_text(h.limit, l);
    case Holds::Kind::never:
        return "does not hold even at DC: " + limit_text(h.limit, l);
    case Holds::Kind::beyond:
        break;
    }
    return "holds beyond 1 THz";
}

std::string over_text(const Power& p, std::size_t i, std::optional<Feed> feed) {
    bool power = feed ? p.over_rating(i, *feed) : p.over_rating(i);
    bool voltage = feed ? p.over_voltage(i, *feed) : p.over_voltage(i);
    if (power && voltage)
        return "over its ratings of power and voltage";
    if (power)
        return "over its rating";
    return voltage ? "over its voltage rating" : "";
}

std::string loads_text(const Power& p) {
    const Load& load = p.cases.front().load;
    if (p.cases.size() > 1)
        return "the load matched, open and shorted";
    switch (load.kind) {
    case Load::Kind::vswr:
        return "a load of VSWR " + load_name(load) + " at each figure's worst phase";
    case Load::Kind::open:
        return "the load open";
    case Load::Kind::shorted:
        return "the load shorted";
    case Load::Kind::matched:
        break;
    }
    return {};
}

std::string derated_text(const Power& p, bool ascii) {
    if (!p.derated)
        return {};
    return "Rating " + engineering(*p.rating, "W", ascii) + ", derated to " +
           engineering(*p.derated, "W", ascii) + " at " + exact_number(*p.ambient) +
           (ascii ? " C" : " °C");
}

std::string part_model_text(const PartModel& m, const std::string& package, bool ascii) {
    return "Each resistor with " + parasitic(m.ls, "H", ascii) + " in series, " +
           parasitic(m.cp, "F", ascii) + " across and " + parasitic(m.cg, "F", ascii) +
           " to ground at each end" + (package.empty() ? "" : " (" + package + ")");
}

std::string limits_text(const Limits& l, bool outward_matched) {
    return "Where the loss stays within " + exact_number(l.flat_db) + " dB of DC and " +
           (outward_matched ? "each" : "the input") + " return loss at or above " +
           exact_number(l.match_db) + " dB";
}

} // namespace padcalc
