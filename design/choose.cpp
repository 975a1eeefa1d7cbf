// Choosing preferred values for a design's resistors, in double precision.
// The search compares combinations by the chain of the network's topology
// alone, the same chain that the full analysis takes its figures from.

#include "choose.h"

#include "export_text.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>

namespace padcalc {
namespace {

constexpr double loss_unit = 0.1;        // dB
constexpr double reflection_unit = 0.01; // |gamma|
constexpr double same_merit = 1e-9;      // relative: closer figures are a tie

// The merit's terms for the match: at both ports, or at the inward port
// alone where the outward one is not meant to match.
double reflection_merit(const Design& d, const Analysis& a) {
    double worst = std::fabs(a.gamma_in);
    if (d.network->outward_matched)
        worst = std::max(worst, std::fabs(a.gamma_out));
    return worst / reflection_unit;
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

// Tries every combination of the candidates by its match and loss; the one
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
        Analysis a = match(chain(d.network, ohms), d.zone, d.ztwo);
        double tie = same_merit * best_merit;
        if (reflection_merit(d, a) > best_merit + tie)
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

std::string out_of_range(const Design& d, bool with_value) {
    for (std::size_t i = 0; i < d.resistors.size(); ++i) {
        double r = d.resistors[i];
        if (r >= lowest_value && r <= highest_value)
            continue;
        std::string name(d.network->resistors[i].name);
        if (with_value)
            return name + " would be " + exact_number(r) +
                   " ohm, outside the preferred values' range of 0.1 ohm to 10 Mohm";
        return name + " would be " + (r < lowest_value ? "below" : "above") +
               " the preferred values' range of 0.1 ohm to 10 Mohm";
    }
    return {};
}

double merit(const Design& d, const Analysis& a) {
    double m = reflection_merit(d, a);
    if (!d.network->min_loss)
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

ToleranceSpread tolerance_spread(Circuit circuit, double zone, double ztwo, double percent) {
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
