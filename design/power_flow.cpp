// The walk from the load back to the source. The load's voltage and current
// are set by its reflection, Z(1 + gamma) and 1 - gamma, and scaled so that
// the source's EMF drives them through the whole chain. From each pad's port
// towards the load back to its port towards the source, each arm's current
// and voltage follow from the next one's as sums: V grows by I times a
// series arm, I by V over a shunt arm. A bridge takes (V1 - V2) / R, with
// V1 - V2 = (A - 1) V2 + B I2 from the pad's chain.

#include "power_flow.h"

#include "export_text.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>

namespace padcalc {
namespace {

using Phasor = std::complex<double>;

// The voltage across a port and the current through it towards the load.
struct PortState {
    Phasor volts;
    Phasor amps;
};

// An arm as the walk meets it: the voltage across a shunt arm, or the
// current through an arm in the line.
struct ArmState {
    Phasor value;
    bool across = false;
};

std::size_t index(int i) { return static_cast<std::size_t>(i); }

// a - b, or exactly 0 where it is within the rounding of its terms: the
// ideal bridged Tee, matched, carries no current in the arm beside its
// bridge, and a residue of 1e-44 W there is noise, not a figure.
Phasor difference(Phasor a, Phasor b) {
    Phasor d = a - b;
    double rounding =
        4 * std::numeric_limits<double>::epsilon() * std::max(std::abs(a), std::abs(b));
    return std::abs(d) <= rounding ? Phasor(0) : d;
}

// Walks one pad from its port towards the load to its port towards the
// source, noting each arm's state.
PortState walk_back(const Circuit& c, Feed feed, PortState at, std::vector<ArmState>& arms) {
    bool inward = feed == Feed::inward;
    const Topology& topology = c.network->topology;
    std::vector<double> loop = loop_ohms(c);
    arms.assign(loop.size(), {});
    Phasor volts = at.volts;
    Phasor current = at.amps;
    Phasor bridge = 0;
    if (topology.bridge >= 0) {
        Chain whole = inward ? chain(c) : reversed(chain(c));
        bridge = (whole.a_less_one * volts + whole.b * current) / loop[index(topology.bridge)];
        arms[index(topology.bridge)] = {bridge, false};
        current = difference(current, bridge);
    }
    std::vector<Step> steps = topology.ladder;
    if (inward)
        std::reverse(steps.begin(), steps.end());
    for (const Step& step : steps) {
        double ohms = loop[index(step.resistor)];
        if (step.arm == Arm::series) {
            arms[index(step.resistor)] = {current, false};
            volts += current * ohms;
        } else {
            arms[index(step.resistor)] = {volts, true};
            current += volts / ohms;
        }
    }
    return {volts, current + bridge};
}

// Each part's power and voltage from its arm's state: a part alone or in
// series carries its place's current, and the parts of a parallel pair
// share their place's voltage.
void part_figures(const Circuit& c, const std::vector<ArmState>& arms, PowerFlow& flow) {
    std::vector<double> places = place_ohms(c);
    flow.parts.assign(c.parts.size(), 0.0);
    flow.volts.assign(c.parts.size(), 0.0);
    for (std::size_t p = 0; p < c.parts.size(); ++p) {
        const Part& part = c.parts[p];
        const ArmState& arm = arms[index(part.resistor)];
        double place = places[index(part.place)];
        bool by_voltage =
            part.joined == Joined::parallel || (part.joined == Joined::single && arm.across);
        if (by_voltage) {
            Phasor v = arm.across ? arm.value : arm.value * place;
            flow.parts[p] = std::norm(v) / part.ohms;
            flow.volts[p] = std::abs(v);
        } else {
            Phasor i = arm.across ? arm.value / place : arm.value;
            flow.parts[p] = std::norm(i) * part.ohms;
            flow.volts[p] = std::abs(i) * part.ohms;
        }
    }
}

// The flows at one reflection.
std::vector<PowerFlow> flows_at(std::span<const Circuit> stages, double zone, double ztwo,
                                double available, Feed feed, Phasor gamma) {
    bool inward = feed == Feed::inward;
    double source = inward ? zone : ztwo;
    double reference = inward ? ztwo : zone;
    Chain whole = chain(stages.front());
    for (std::size_t k = 1; k < stages.size(); ++k)
        whole = then(whole, chain(stages[k]));
    if (!inward)
        whole = reversed(whole);
    double emf = std::sqrt(4.0 * available * source); // E^2 / 4R is available
    double a = whole.a_less_one + 1;
    double d = whole.d_less_one + 1;
    Phasor load_volts = reference * (1.0 + gamma);
    Phasor load_amps = 1.0 - gamma;
    Phasor scale = emf / (a * load_volts + whole.b * load_amps +
                          source * (whole.c * load_volts + d * load_amps));
    PortState at{load_volts * scale, load_amps * scale};
    std::vector<PowerFlow> flows(stages.size());
    std::vector<ArmState> arms;
    for (std::size_t n = 0; n < stages.size(); ++n) {
        std::size_t k = inward ? stages.size() - 1 - n : n; // from the load's end
        flows[k].load = std::real(at.volts * std::conj(at.amps));
        flows[k].load_volts = std::abs(at.volts);
        at = walk_back(stages[k], feed, at, arms);
        part_figures(stages[k], arms, flows[k]);
    }
    return flows;
}

// Whether a figure is larger than another beyond rounding: a figure that
// is the same at every phase keeps the first phase.
bool larger(double figure, double than) { return figure > than * (1 + 1e-12); }

// Takes each figure of `other` that is larger, with its phase.
void keep_larger(PowerFlow& worst, const PowerFlow& other, double phase) {
    for (std::size_t p = 0; p < worst.parts.size(); ++p) {
        if (larger(other.parts[p], worst.parts[p])) {
            worst.parts[p] = other.parts[p];
            worst.volts[p] = other.volts[p];
            worst.phase[p] = phase;
        }
    }
    if (larger(other.load, worst.load)) {
        worst.load = other.load;
        worst.load_phase = phase;
    }
    // The load's voltage need not be largest where its power is.
    worst.load_volts = std::max(worst.load_volts, other.load_volts);
}

} // namespace

std::vector<PowerFlow> power_flow(std::span<const Circuit> stages, double zone, double ztwo,
                                  double available, Feed feed, std::complex<double> gamma) {
    return flows_at(stages, zone, ztwo, available, feed, gamma);
}

PowerFlow power_flow(const Circuit& c, double zone, double ztwo, double available, Feed feed) {
    return flows_at({&c, 1}, zone, ztwo, available, feed, 0.0).front();
}

std::string load_name(const Load& load) {
    switch (load.kind) {
    case Load::Kind::matched:
        return "matched";
    case Load::Kind::open:
        return "open";
    case Load::Kind::shorted:
        return "short";
    case Load::Kind::vswr:
        break;
    }
    return exact_number(load.vswr) + ":1";
}

// Every figure is |x + y gamma|^2 / |u + w gamma|^2 with x, y, u and w real,
// since every part, the source and the reference are resistances: with
// |gamma| fixed, a ratio of two linear functions of cos(phase), monotonic in
// it. So each figure is largest at 0 or at 180 degrees, and the two give it
// exactly.
std::vector<PowerFlow> load_flow(std::span<const Circuit> stages, double zone, double ztwo,
                                 double available, Feed feed, const Load& load) {
    switch (load.kind) {
    case Load::Kind::matched:
        return flows_at(stages, zone, ztwo, available, feed, 0.0);
    case Load::Kind::open:
        return flows_at(stages, zone, ztwo, available, feed, 1.0);
    case Load::Kind::shorted:
        return flows_at(stages, zone, ztwo, available, feed, -1.0);
    case Load::Kind::vswr:
        break;
    }
    double rho = (load.vswr - 1) / (load.vswr + 1);
    std::vector<PowerFlow> worst = flows_at(stages, zone, ztwo, available, feed, rho);
    std::vector<PowerFlow> opposite = flows_at(stages, zone, ztwo, available, feed, -rho);
    for (std::size_t k = 0; k < worst.size(); ++k) {
        worst[k].phase.assign(worst[k].parts.size(), 0.0);
        keep_larger(worst[k], opposite[k], 180.0);
    }
    return worst;
}

} // namespace padcalc
