// Choosing preferred values for a design's resistors. All the arithmetic is
// in double precision: the ideal values (the formulas' single-precision
// results, widened), the quick model of the search, and the analyses.

#include "choose.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <limits>

namespace padcalc {
namespace {

constexpr double loss_unit = 0.1;        // dB
constexpr double reflection_unit = 0.01; // |gamma|
constexpr double same_merit = 1e-9;      // relative: closer figures are a tie

// The merit's terms for the match at the two ports.
double reflection_merit(const Analysis& a) {
    return std::max(std::fabs(a.gamma_in), std::fabs(a.gamma_out)) / reflection_unit;
}

std::vector<double> totals(const std::vector<Choice>& resistors) {
    std::vector<double> ohms(resistors.size());
    for (std::size_t r = 0; r < resistors.size(); ++r)
        ohms[r] = resistors[r].ohms;
    return ohms;
}

Build analysed(const Design& d, std::vector<Choice> resistors) {
    Build b;
    b.resistors = std::move(resistors);
    b.analysis = analyse(d.network, totals(b.resistors), d.zone, d.ztwo);
    b.merit = merit(d, b.analysis);
    return b;
}

// Why an ideal value cannot be had from the table, or an empty text.
std::string out_of_range(const Design& d) {
    const NetworkInfo& n = info(d.network);
    for (std::size_t i = 0; i < d.resistors.size(); ++i) {
        double r = d.resistors[i];
        if (r >= lowest_value && r <= highest_value)
            continue;
        char text[160];
        std::snprintf(text, sizeof text,
                      "%s would be %.4g ohm, outside the preferred values' range of 0.1 ohm to "
                      "10 Mohm",
                      std::string(n.resistors[i].name).c_str(), r);
        return text;
    }
    return {};
}

Build nearest_build(const Design& d, const std::vector<double>& values) {
    std::vector<Choice> resistors;
    for (double ideal : d.resistors) {
        double v = nearest_value(values, ideal);
        resistors.push_back({v, {v}, Joined::single});
    }
    return analysed(d, std::move(resistors));
}

using Candidates = std::vector<std::vector<Choice>>;

// How many different preferred values a combination is built from.
std::size_t distinct_values(const Candidates& c, const std::vector<std::size_t>& pick) {
    std::vector<double> parts;
    for (std::size_t r = 0; r < c.size(); ++r)
        for (double p : c[r][pick[r]].parts)
            parts.push_back(p);
    std::sort(parts.begin(), parts.end());
    return static_cast<std::size_t>(std::unique(parts.begin(), parts.end()) - parts.begin());
}

// Steps to the next combination, the first resistor's candidate turning
// fastest; false after the last.
bool advance(std::vector<std::size_t>& pick, const Candidates& c) {
    for (std::size_t r = 0; r < pick.size(); ++r) {
        if (++pick[r] < c[r].size())
            return true;
        pick[r] = 0;
    }
    return false;
}

// The search's own quick model of a network, as its chain (ABCD) parameters:
// a ladder of series and shunt arms, with a bridged Tee's bridge across it.
// A balanced series arm is its two halves in the one loop, so it counts
// twice. It gives the same figures as the nodal analysis of the physical
// circuit, without building or solving anything.
struct Chain {
    double a, b, c, d;
};

Chain series_arm(double ohms) { return {1, ohms, 0, 1}; }
Chain shunt_arm(double ohms) { return {1, 0, 1 / ohms, 1}; }

Chain cascade(const Chain& x, const Chain& y, const Chain& z) {
    Chain xy{x.a * y.a + x.b * y.c, x.a * y.b + x.b * y.d, x.c * y.a + x.d * y.c,
             x.c * y.b + x.d * y.d};
    return {xy.a * z.a + xy.b * z.c, xy.a * z.b + xy.b * z.d, xy.c * z.a + xy.d * z.c,
            xy.c * z.b + xy.d * z.d};
}

// A resistor from the inward to the outward terminal, across the chain: the
// admittance parameters add (a resistive chain has AD - BC = 1).
Chain bridged(const Chain& t, double ohms) {
    double g = 1 / ohms;
    double y11 = t.d / t.b + g;
    double y21 = -1 / t.b - g;
    double y22 = t.a / t.b + g;
    return {-y22 / y21, -1 / y21, -(y11 * y22 - y21 * y21) / y21, -y11 / y21};
}

Chain chain(Network network, const std::vector<double>& r) {
    const Chain through{1, 0, 0, 1};
    switch (network) {
    case Network::tee:
        return cascade(series_arm(r[0]), shunt_arm(r[2]), series_arm(r[1]));
    case Network::h:
        return cascade(series_arm(2 * r[0]), shunt_arm(r[2]), series_arm(2 * r[1]));
    case Network::pi:
        return cascade(shunt_arm(r[0]), series_arm(r[2]), shunt_arm(r[1]));
    case Network::pi_bal:
        return cascade(shunt_arm(r[0]), series_arm(2 * r[2]), shunt_arm(r[1]));
    case Network::min_loss:
        return cascade(series_arm(r[0]), shunt_arm(r[1]), through);
    case Network::min_loss_bal:
        return cascade(series_arm(2 * r[0]), shunt_arm(r[1]), through);
    case Network::bridged_tee:
        return bridged(cascade(series_arm(r[0]), shunt_arm(r[2]), series_arm(r[1])), r[3]);
    }
    return through;
}

// The figures the merit needs, in double precision, from the quick model:
// both reflection coefficients, and the transmission s21 but not yet the
// loss, which is wanted only for a combination whose match could win.
Analysis quick_match(Network network, const std::vector<double>& r, double zone, double ztwo) {
    Chain t = chain(network, r);
    Analysis a;
    a.z_in = (t.a * ztwo + t.b) / (t.c * ztwo + t.d);
    a.z_out = (t.d * zone + t.b) / (t.c * zone + t.a);
    a.s21 = 2 * std::sqrt(zone * ztwo) / (t.a * ztwo + t.b + t.c * zone * ztwo + t.d * zone);
    a.gamma_in = (a.z_in - zone) / (a.z_in + zone);
    a.gamma_out = (a.z_out - ztwo) / (a.z_out + ztwo);
    return a;
}

// Tries every combination of the candidates with the quick model; the one
// chosen is then analysed in full.
Build best_build(const Design& d, const Candidates& c) {
    std::vector<std::size_t> pick(c.size(), 0);
    std::vector<std::size_t> best = pick;
    std::vector<double> ohms(c.size());
    double best_merit = std::numeric_limits<double>::infinity();
    std::size_t best_distinct = 0;
    do {
        for (std::size_t r = 0; r < c.size(); ++r)
            ohms[r] = c[r][pick[r]].ohms;
        Analysis a = quick_match(d.network, ohms, d.zone, d.ztwo);
        double tie = same_merit * best_merit;
        if (reflection_merit(a) > best_merit + tie)
            continue;
        a.loss = -20 * std::log10(a.s21);
        double m = merit(d, a);
        if (m > best_merit + tie)
            continue;
        std::size_t distinct = distinct_values(c, pick);
        bool first = best_merit == std::numeric_limits<double>::infinity();
        bool better = first || m < best_merit - tie || distinct < best_distinct;
        if (better) {
            best = pick;
            best_merit = m;
            best_distinct = distinct;
        }
    } while (advance(pick, c));
    std::vector<Choice> resistors;
    for (std::size_t r = 0; r < c.size(); ++r)
        resistors.push_back(c[r][best[r]]);
    return analysed(d, std::move(resistors));
}

} // namespace

double merit(const Design& d, const Analysis& a) {
    double m = reflection_merit(a);
    if (!info(d.network).min_loss)
        m = std::max(m, std::fabs(a.loss - d.loss) / loss_unit);
    return m;
}

std::optional<Builds> choose_builds(const Design& d, Series series, bool pairs, std::string& why) {
    why = why_unbuildable(d);
    if (why.empty())
        why = out_of_range(d);
    if (!why.empty())
        return std::nullopt;
    const std::vector<double>& values = preferred_values(series);
    Candidates c;
    for (double ideal : d.resistors)
        c.push_back(candidates(values, ideal, pairs));
    return Builds{series, nearest_build(d, values), best_build(d, c)};
}

std::vector<double> totals(const Build& b) { return totals(b.resistors); }

ToleranceSpread tolerance_spread(Network network, const std::vector<double>& resistors, double zone,
                                 double ztwo, double percent) {
    Circuit circuit = build_circuit(network, resistors);
    std::vector<double> nominal;
    for (const Part& p : circuit.parts)
        nominal.push_back(p.ohms);
    ToleranceSpread s{
        percent, std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
        std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity()};
    double low = 1 - percent / 100;
    double high = 1 + percent / 100;
    // Bit i of `corner` sets part i high.
    for (unsigned corner = 0; corner < (1u << nominal.size()); ++corner) {
        for (std::size_t i = 0; i < nominal.size(); ++i)
            circuit.parts[i].ohms = nominal[i] * ((corner >> i) & 1u ? high : low);
        Analysis a = analyse(circuit, zone, ztwo);
        s.loss_low = std::min(s.loss_low, a.loss);
        s.loss_high = std::max(s.loss_high, a.loss);
        s.worst_return_loss_in = std::min(s.worst_return_loss_in, a.return_loss_in);
        s.worst_return_loss_out = std::min(s.worst_return_loss_out, a.return_loss_out);
    }
    return s;
}

} // namespace padcalc
