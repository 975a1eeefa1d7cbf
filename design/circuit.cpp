#include "circuit.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstddef>
#include <utility>

namespace padcalc {
namespace {

Chain series_arm(double ohms) { return {0, ohms, 0, 0}; }
Chain shunt_arm(double ohms) { return {0, 0, 1 / ohms, 0}; }

// A resistor from the inward to the outward terminal across the chain. Its
// admittance adds to the chain's admittance parameters; with AD - BC = 1 the
// result is again all positive terms over 1 + gB.
Chain bridged(const Chain& t, double ohms) {
    double g = 1 / ohms;
    double scale = 1 + g * t.b;
    return {t.a_less_one / scale, t.b / scale, (t.c + g * (t.a_less_one + t.d_less_one)) / scale,
            t.d_less_one / scale};
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

// Lays out the ladder's parts and junctions, walking from the inward port;
// the last series arm ends at the outward port.
class Layout {
  public:
    Layout(Circuit& c, const std::vector<Choice>& r) : c_(c), r_(r) {
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
        return node(name + line);
    }

    int node(std::string name) {
        c_.nodes.push_back(std::move(name));
        return static_cast<int>(c_.nodes.size()) - 1;
    }

    // One place: its part, or the two parts of a pair, in parallel or with
    // a junction between them.
    void part(int resistor, const char* half, int from, int to) {
        const ResistorRole& role = c_.network->resistors[static_cast<std::size_t>(resistor)];
        const Choice& choice = r_[static_cast<std::size_t>(resistor)];
        std::string name = std::string(role.name) + half;
        if (choice.joined == Joined::single) {
            c_.parts.push_back({name, resistor, place_, from, to, choice.ohms, Joined::single});
        } else {
            int middle = to;
            if (choice.joined == Joined::series) {
                std::string lower = name;
                for (char& ch : lower)
                    ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
                middle = node(lower + "_j");
            }
            c_.parts.push_back(
                {name + "_1", resistor, place_, from, middle, choice.parts[0], choice.joined});
            c_.parts.push_back({name + "_2", resistor, place_,
                                choice.joined == Joined::series ? middle : from, to,
                                choice.parts[1], choice.joined});
        }
        ++place_;
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
    const std::vector<Choice>& r_;
    int place_ = 0;
    int series_left_ = 0;
    int junctions_ = 0;
    int made_ = 0;
    int top_ = in_plus;
    int bottom_ = in_minus;
};

// A total reflection has a return loss of 0 dB, not -0 (the sum makes -0 into 0).
double return_loss(double gamma) { return -20.0 * std::log10(std::fabs(gamma)) + 0.0; }
double vswr(double gamma) { return (1.0 + std::fabs(gamma)) / (1.0 - std::fabs(gamma)); }

} // namespace

int out_minus(const Circuit& c) { return c.network->balanced ? 3 : in_minus; }

Circuit build_circuit(Network network, const std::vector<double>& resistors) {
    std::vector<Choice> single;
    single.reserve(resistors.size());
    for (double ohms : resistors)
        single.push_back({ohms, {ohms}, Joined::single});
    return build_circuit(network, single);
}

Circuit build_circuit(Network network, const std::vector<Choice>& resistors) {
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

std::vector<double> place_ohms(const Circuit& c) {
    // A pair in parallel as a b / (a + b), as its total was chosen.
    std::vector<double> sum;
    std::vector<double> product;
    std::vector<bool> parallel;
    for (const Part& p : c.parts) {
        auto at = static_cast<std::size_t>(p.place);
        if (sum.size() <= at) {
            sum.resize(at + 1, 0.0);
            product.resize(at + 1, 1.0);
            parallel.resize(at + 1, false);
        }
        sum[at] += p.ohms;
        product[at] *= p.ohms;
        parallel[at] = p.joined == Joined::parallel;
    }
    for (std::size_t at = 0; at < sum.size(); ++at)
        if (parallel[at])
            sum[at] = product[at] / sum[at];
    return sum;
}

std::vector<double> loop_ohms(const Circuit& c) {
    std::vector<double> places = place_ohms(c);
    std::vector<double> loop(c.network->resistors.size(), 0.0);
    for (std::size_t p = 0; p < c.parts.size(); ++p) {
        const Part& part = c.parts[p];
        bool first_of_place = p == 0 || c.parts[p - 1].place != part.place;
        if (first_of_place)
            loop[static_cast<std::size_t>(part.resistor)] +=
                places[static_cast<std::size_t>(part.place)];
    }
    return loop;
}

Chain then(const Chain& x, const Chain& y) {
    // The product of the chain matrices, written out for A - 1 and D - 1 so
    // that every term is a product of positive values.
    return {x.a_less_one * y.a_less_one + x.a_less_one + y.a_less_one + x.b * y.c,
            y.b + x.a_less_one * y.b + x.b + x.b * y.d_less_one,
            x.c + x.c * y.a_less_one + y.c + x.d_less_one * y.c,
            x.c * y.b + x.d_less_one * y.d_less_one + x.d_less_one + y.d_less_one};
}

Chain reversed(Chain t) {
    std::swap(t.a_less_one, t.d_less_one);
    return t;
}

Chain chain(const Circuit& c) { return topology_chain(c.network->topology, loop_ohms(c)); }

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
    return analyse(chain(c), zone, ztwo);
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

} // namespace padcalc
