#include "power.h"

#include "export_text.h"

#include <fmt/format.h>

#include <algorithm>

namespace padcalc {
namespace {

// Each figure of `worst` raised to the other's where that is larger.
void keep_larger(PowerFlow& worst, const PowerFlow& other) {
    for (std::size_t p = 0; p < worst.parts.size(); ++p) {
        worst.parts[p] = std::max(worst.parts[p], other.parts[p]);
        worst.volts[p] = std::max(worst.volts[p], other.volts[p]);
    }
    worst.load = std::max(worst.load, other.load);
    worst.load_volts = std::max(worst.load_volts, other.load_volts);
    worst.phase.clear();
}

LoadCase worst_of(const std::vector<LoadCase>& cases) {
    LoadCase worst = cases.front();
    for (const LoadCase& c : cases) {
        keep_larger(worst.inward, c.inward);
        keep_larger(worst.outward, c.outward);
    }
    return worst;
}

// Where part i's figure is largest, over the cases and the feeds checked.
struct Peak {
    double value = -1;
    const LoadCase* where = nullptr;
    const PowerFlow* flow = nullptr;
};

Peak peak(const Power& p, std::size_t i, std::vector<double> PowerFlow::*figure) {
    Peak best;
    for (const LoadCase& c : p.cases)
        for (const PowerFlow* flow : {&c.inward, &c.outward}) {
            if (flow == &c.outward && !p.outward_checked)
                continue;
            if ((flow->*figure)[i] > best.value)
                best = {(flow->*figure)[i], &c, flow};
        }
    return best;
}

// The load of a peak in words, when there is more than the matched load.
std::string with_load(const Power& p, const Peak& at, std::size_t i) {
    const Load& load = at.where->load;
    if (p.cases.size() == 1 && load.kind == Load::Kind::matched)
        return "";
    if (load.kind == Load::Kind::vswr)
        return " with a " + load_name(load) + " load at " + exact_number(at.flow->phase[i]) +
               " degrees";
    return " with the load " +
           std::string(load.kind == Load::Kind::shorted ? "shorted" : load_name(load));
}

std::string rating_words(const Power& p) {
    std::string words = fmt::format("its rating of {:.3g} W", *p.rating);
    if (p.derated)
        words += fmt::format(" derated to {:.3g} W at {:.3g} C", *p.derated, *p.ambient);
    return words;
}

} // namespace

bool Power::over_rating(std::size_t i, Feed feed) const {
    std::optional<double> limit = checked_rating();
    const PowerFlow& flow = feed == Feed::inward ? worst.inward : worst.outward;
    return limit && (feed == Feed::inward || outward_checked) && flow.parts[i] > *limit;
}

bool Power::over_voltage(std::size_t i, Feed feed) const {
    const PowerFlow& flow = feed == Feed::inward ? worst.inward : worst.outward;
    return max_voltage && (feed == Feed::inward || outward_checked) && flow.volts[i] > *max_voltage;
}

bool Power::over_rating(std::size_t i) const {
    return over_rating(i, Feed::inward) || over_rating(i, Feed::outward);
}

bool Power::over_voltage(std::size_t i) const {
    return over_voltage(i, Feed::inward) || over_voltage(i, Feed::outward);
}

double derated_rating(double rating, double ambient, const Derating& d) {
    if (ambient <= d.knee)
        return rating;
    return rating * std::max(0.0, (d.limit - ambient) / (d.limit - d.knee));
}

std::vector<Power> power_of(std::span<const Circuit> stages, double zone, double ztwo,
                            const Settings& s, bool outward_checked) {
    std::vector<Power> powers(stages.size());
    for (std::size_t k = 0; k < stages.size(); ++k) {
        Power& p = powers[k];
        p.available = *s.power;
        for (const Part& part : stages[k].parts)
            p.parts.push_back(part.name);
        p.rating = s.rating;
        p.ambient = s.ambient;
        if (s.rating && s.ambient)
            p.derated = derated_rating(*s.rating, *s.ambient, s.derating);
        p.max_voltage = s.max_voltage;
        p.outward_checked = outward_checked;
    }
    for (const Load& load : s.loads) {
        std::vector<PowerFlow> in = load_flow(stages, zone, ztwo, *s.power, Feed::inward, load);
        std::vector<PowerFlow> out = load_flow(stages, zone, ztwo, *s.power, Feed::outward, load);
        for (std::size_t k = 0; k < stages.size(); ++k)
            powers[k].cases.push_back({load, in[k], out[k]});
    }
    for (Power& p : powers)
        p.worst = worst_of(p.cases);
    return powers;
}

void check_power(const Power& p, const std::string& which, std::vector<Problem>& problems) {
    for (std::size_t i = 0; i < p.parts.size(); ++i) {
        std::string part = p.parts[i] + " in the " + which;
        if (p.over_rating(i)) {
            Peak at = peak(p, i, &PowerFlow::parts);
            problems.emplace_back(fmt::format("{} dissipates {:.3g} W{}, over {}", part, at.value,
                                              with_load(p, at, i), rating_words(p)),
                                  part + " dissipates more than " + rating_words(p));
        }
        if (p.over_voltage(i)) {
            Peak at = peak(p, i, &PowerFlow::volts);
            problems.emplace_back(
                fmt::format("{} has {:.3g} V across it{}, over its rating of {:.3g} V", part,
                            at.value, with_load(p, at, i), *p.max_voltage),
                fmt::format("{} has more than its rating of {:.3g} V across it", part,
                            *p.max_voltage));
        }
    }
}

} // namespace padcalc
