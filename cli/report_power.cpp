// The text report's power tables: for each part the power it dissipates and
// the RMS voltage across it, fed from either side, for each load asked for.

#include "report.h"

#include "design/export_text.h"
#include "design/figures.h"

namespace padcalc {
namespace {

std::string watts(double value, bool ascii) { return engineering(value, "W", ascii); }
std::string volts(double value, bool ascii) { return engineering(value, "V", ascii); }

std::string degrees(double value, bool ascii) {
    return exact_number(value) + (ascii ? " deg" : "°");
}

// What part i is over, after two spaces: fed either way, or with `feed`
// fed that way only.
std::string flags(const Power& p, std::size_t i, std::optional<Feed> feed = std::nullopt) {
    std::string over = over_text(p, i, feed);
    return over.empty() ? over : "  " + over;
}

std::string heading(std::string_view which, const Power& p, bool ascii) {
    std::string loads = loads_text(p);
    std::string derated = derated_text(p, ascii);
    return "\nPower in the " + std::string(which) + ", " + watts(p.available, ascii) +
           " available from the source" + (loads.empty() ? "" : ", " + loads) + "\n" +
           (derated.empty() ? "" : derated + "\n");
}

// A figure right-aligned in a column of `width`.
std::string column(const std::string& figure, std::size_t width) {
    // The width counts characters: the multibyte ones (µ, Ω, °) are two bytes
    // that show as one.
    std::size_t shown = 0;
    for (char ch : figure)
        shown += (static_cast<unsigned char>(ch) & 0xC0) != 0x80;
    return std::string(width > shown ? width - shown : 1, ' ') + figure; // never run together
}

// One load: each part's power and voltage fed inward and fed outward, and
// for a VSWR the phase of each.
std::string one_load(const Power& p, bool ascii) {
    const LoadCase& c = p.cases.front();
    bool phases = c.load.kind == Load::Kind::vswr;
    std::size_t width = phases ? 30 : 22;
    std::string text =
        std::string(6, ' ') + column("fed inward", width) + column("fed outward", width) + "\n";
    for (std::size_t i = 0; i <= p.parts.size(); ++i) {
        bool load = i == p.parts.size();
        std::string name = load ? "load" : p.parts[i];
        text += name + std::string(name.size() < 6 ? 6 - name.size() : 1, ' ');
        for (const PowerFlow* flow : {&c.inward, &c.outward}) {
            text += column(watts(load ? flow->load : flow->parts[i], ascii), 12) +
                    column(volts(load ? flow->load_volts : flow->volts[i], ascii), 10);
            if (phases)
                text += column(degrees(load ? flow->load_phase : flow->phase[i], ascii), 8);
        }
        text += (load ? "" : flags(p, i)) + "\n";
    }
    return text;
}

// Several loads side by side, and each part's worst, for each feed.
std::string several_loads(const Power& p, bool ascii) {
    std::string text;
    for (Feed feed : {Feed::inward, Feed::outward}) {
        auto flow = [feed](const LoadCase& c) -> const PowerFlow& {
            return feed == Feed::inward ? c.inward : c.outward;
        };
        text += feed == Feed::inward ? "fed inward  " : "fed outward ";
        for (const LoadCase& c : p.cases)
            text += column(load_name(c.load), 12);
        text += column("worst", 12) + "\n";
        for (std::size_t i = 0; i <= p.parts.size(); ++i) {
            bool load = i == p.parts.size();
            std::string name = load ? "load" : p.parts[i];
            text += name + std::string(name.size() < 12 ? 12 - name.size() : 1, ' ');
            for (const LoadCase& c : p.cases)
                text += column(watts(load ? flow(c).load : flow(c).parts[i], ascii), 12);
            const PowerFlow& worst = flow(p.worst);
            text += column(watts(load ? worst.load : worst.parts[i], ascii), 12) +
                    column(volts(load ? worst.load_volts : worst.volts[i], ascii), 10) +
                    (load ? "" : flags(p, i, feed)) + "\n";
        }
    }
    return text;
}

} // namespace

std::string power_text(std::string_view which, const Power& p, bool ascii) {
    return heading(which, p, ascii) +
           (p.cases.size() > 1 ? several_loads(p, ascii) : one_load(p, ascii));
}

} // namespace padcalc
