#include "circuit.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>

namespace padcalc {
namespace {

Chain series_arm(double ohms) { return {0, ohms, 0, 0}; }
Chain shunt_arm(double ohms) { return {0, 0, 1 / ohms, 0}; }

// x then y: the product of their chain matrices, written out for A - 1 and
// D - 1 so that every term is a product of positive values.
Chain then(const Chain& x, const Chain& y) {
    return {x.a_less_one * y.a_less_one + x.a_less_one + y.a_less_one + x.b * y.c,
            y.b + x.a_less_one * y.b + x.b + x.b * y.d_less_one,
            x.c + x.c * y.a_less_one + y.c + x.d_less_one * y.c,
            x.c * y.b + x.d_less_one * y.d_less_one + x.d_less_one + y.d_less_one};
}

// A resistor from the inward to the outward terminal across the chain. Its
// admittance adds to the chain's admittance parameters; with AD - BC = 1 the
// result is again all positive terms over 1 + gB.
Chain bridged(const Chain& t, double ohms) {
    double g = 1 / ohms;
    double scale = 1 + g * t.b;
    return {t.a_less_one / scale, t.b / scale, (t.c + g * (t.a_less_one + t.d_less_one)) / scale,
            t.d_less_one / scale};
}

// The same network fed from the other side.
Chain reversed(Chain t) {
    std::swap(t.a_less_one, t.d_less_one);
    return t;
}

// The chain of a topology whose resistors put `loop` ohms each in the
// signal's loop: both halves of a split arm.
Chain topology_chain(const Topology& t, const std::vector<double>& loop) {
    Chain whole;
    for (const Step& step : t.ladder) {
        double ohms = loop[static_cast<std::size_t>(step.resistor)];
        whole = then(whole, step.arm == Arm::series ? series_arm(ohms) : shunt_arm(ohms));
    }
    if (t.bridge >= 0)
        whole = bridged(whole, loop[static_cast<std::size_t>(t.bridge)]);
    return whole;
}

// Whether a resistor is in the line, and so split between the two lines of
// a balanced network.
bool in_line(const Topology& t, int resistor) {
    if (resistor == t.bridge)
        return true;
    return std::any_of(t.ladder.begin(), t.ladder.end(), [resistor](const Step& s) {
        return s.resistor == resistor && s.arm == Arm::series;
    });
}

// Each resistor's ohms in the loop: the sum of its parts.
std::vector<double> loop_ohms(const Circuit& c) {
    std::vector<double> loop(c.network->resistors.size(), 0.0);
    for (const Part& p : c.parts)
        loop[static_cast<std::size_t>(p.resistor)] += p.ohms;
    return loop;
}

// Lays out the ladder's parts and junctions, walking from the inward port;
// the last series arm ends at the outward port.
class Layout {
  public:
    Layout(Circuit& c, const std::vector<double>& r) : c_(c), r_(r) {
        for (const Step& s : c.network->topology.ladder)
            series_left_ += s.arm == Arm::series;
        junctions_ = series_left_ - 1;
    }

    void add(const Step& step) {
        if (step.arm == Arm::shunt) {
            part(step.resistor, "", top_, bottom_);
            return;
        }
        bool last = --series_left_ == 0;
        int next_top = last ? out_plus : junction(balanced() ? "p" : "");
        int next_bottom = bottom_;
        if (balanced())
            next_bottom = last ? out_minus(c_) : junction("n");
        line_arm(step.resistor, top_, next_top, bottom_, next_bottom);
        top_ = next_top;
        bottom_ = next_bottom;
    }

    void bridge(int resistor) { line_arm(resistor, in_plus, out_plus, in_minus, out_minus(c_)); }

  private:
    bool balanced() const { return c_.network->balanced; }

    int junction(const char* line) {
        if (*line != 'n')
            ++made_;
        std::string name = junctions_ == 1 ? "mid" : "mid" + std::to_string(made_);
        c_.nodes.push_back(name + line);
        return static_cast<int>(c_.nodes.size()) - 1;
    }

    void part(int resistor, const char* half, int from, int to) {
        const ResistorRole& role = c_.network->resistors[static_cast<std::size_t>(resistor)];
        c_.parts.push_back({std::string(role.name) + half, resistor, from, to,
                            r_[static_cast<std::size_t>(resistor)]});
    }

    // A series arm or bridge: one part, or a half in each line.
    void line_arm(int resistor, int top, int next_top, int bottom, int next_bottom) {
        if (!balanced()) {
            part(resistor, "", top, next_top);
            return;
        }
        part(resistor, "A", top, next_top);
        part(resistor, "B", bottom, next_bottom);
    }

    Circuit& c_;
    const std::vector<double>& r_;
    int series_left_ = 0;
    int junctions_ = 0;
    int made_ = 0;
    int top_ = in_plus;
    int bottom_ = in_minus;
};

double return_loss(double gamma) { return -20.0 * std::log10(std::fabs(gamma)); }
double vswr(double gamma) { return (1.0 + std::fabs(gamma)) / (1.0 - std::fabs(gamma)); }

} // namespace

int out_minus(const Circuit& c) { return c.network->balanced ? 3 : in_minus; }

Circuit build_circuit(Network network, const std::vector<double>& resistors) {
    Circuit c;
    c.network = network;
    if (network->balanced)
        c.nodes = {"inp", "inn", "outp", "outn"};
    else
        c.nodes = {"in", "gnd", "out"};
    Layout layout(c, resistors);
    for (const Step& step : network->topology.ladder)
        layout.add(step);
    if (network->topology.bridge >= 0)
        layout.bridge(network->topology.bridge);
    std::stable_sort(c.parts.begin(), c.parts.end(),
                     [](const Part& x, const Part& y) { return x.resistor < y.resistor; });
    return c;
}

Chain chain(Network network, const std::vector<double>& resistors) {
    std::vector<double> loop = resistors;
    if (network->balanced)
        for (std::size_t r = 0; r < loop.size(); ++r)
            if (in_line(network->topology, static_cast<int>(r)))
                loop[r] *= 2;
    return topology_chain(network->topology, loop);
}

Analysis match(const Chain& t, double zone, double ztwo) {
    double a = t.a_less_one + 1;
    double d = t.d_less_one + 1;
    Analysis out;
    out.z_in = (a * ztwo + t.b) / (t.c * ztwo + d);
    out.z_out = (d * zone + t.b) / (t.c * zone + a);
    out.s21 =
        2 * std::sqrt(zone) * std::sqrt(ztwo) / (a * ztwo + t.b + t.c * zone * ztwo + d * zone);
    out.s12 = out.s21; // a network of resistors is reciprocal
    out.gamma_in = (out.z_in - zone) / (out.z_in + zone);
    out.gamma_out = (out.z_out - ztwo) / (out.z_out + ztwo);
    return out;
}

Analysis analyse(const Chain& t, double zone, double ztwo) {
    Analysis out = match(t, zone, ztwo);
    out.loss = -20.0 * std::log10(out.s21);
    out.return_loss_in = return_loss(out.gamma_in);
    out.return_loss_out = return_loss(out.gamma_out);
    out.vswr_in = vswr(out.gamma_in);
    out.vswr_out = vswr(out.gamma_out);
    return out;
}

Analysis analyse(const Circuit& c, double zone, double ztwo) {
    return analyse(topology_chain(c.network->topology, loop_ohms(c)), zone, ztwo);
}

Analysis analyse(Network network, const std::vector<double>& resistors, double zone, double ztwo) {
    return analyse(chain(network, resistors), zone, ztwo);
}

Design checked_design(Network network, double zone, double ztwo, std::vector<double> resistors) {
    Design d;
    d.network = network;
    d.zone = zone;
    d.ztwo = ztwo;
    d.min_loss = least_loss(zone, ztwo);
    d.resistors = std::move(resistors);
    d.buildable = why_not_a_network(d).empty();
    d.loss = analyse(network, d.resistors, zone, ztwo).loss;
    return d;
}

// From the loaded port back to the source, each arm's current and voltage
// follow from the next one's as sums: V grows by I times a series arm, I by
// V over a shunt arm. A bridge takes (V1 - V2) / R, with V1 - V2 = (A - 1) V2
// + B I from the whole network's chain.
PowerFlow power_flow(const Circuit& c, double zone, double ztwo, double available, Feed feed) {
    bool inward = feed == Feed::inward;
    const Topology& topology = c.network->topology;
    std::vector<double> loop = loop_ohms(c);
    Chain whole = topology_chain(topology, loop);
    if (!inward)
        whole = reversed(whole);
    double source = inward ? zone : ztwo;
    double load = inward ? ztwo : zone;
    double emf = std::sqrt(4.0 * available * source); // E^2 / 4R is available
    double a = whole.a_less_one + 1;
    double d = whole.d_less_one + 1;
    double current = emf / (a * load + whole.b + source * (whole.c * load + d));
    double volts = load * current;
    PowerFlow flow;
    flow.parts.assign(c.parts.size(), 0.0);
    flow.load = volts * current;
    // Every part of a line arm carries its current; a shunt arm has its voltage across it.
    auto carrying = [&](int resistor, double amps) {
        for (std::size_t p = 0; p < c.parts.size(); ++p)
            if (c.parts[p].resistor == resistor)
                flow.parts[p] = amps * amps * c.parts[p].ohms;
    };
    auto across = [&](int resistor, double v) {
        for (std::size_t p = 0; p < c.parts.size(); ++p)
            if (c.parts[p].resistor == resistor)
                flow.parts[p] = v * v / c.parts[p].ohms;
    };
    if (topology.bridge >= 0) {
        double bridge = (whole.a_less_one * volts + whole.b * current) /
                        loop[static_cast<std::size_t>(topology.bridge)];
        carrying(topology.bridge, bridge);
        current -= bridge;
    }
    std::vector<Step> steps = topology.ladder;
    if (inward)
        std::reverse(steps.begin(), steps.end());
    for (const Step& step : steps) {
        double ohms = loop[static_cast<std::size_t>(step.resistor)];
        if (step.arm == Arm::series) {
            carrying(step.resistor, current);
            volts += current * ohms;
        } else {
            across(step.resistor, volts);
            current += volts / ohms;
        }
    }
    return flow;
}

} // namespace padcalc
