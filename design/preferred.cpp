// The preferred-value tables and the search for a resistor's candidates.
// Values and totals are doubles; two totals within 1e-12 of each other are
// taken for one.

#include "preferred.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <limits>
#include <span>

namespace padcalc {
namespace {

// E24 in two figures and E192 in three, as the standard lists them. E24's
// values are its own (2.7, 3.0, 3.3 ... 9.1 are not E192's rounded), and
// E192 has 9.20 where its formula would give 9.19.
constexpr int e24_figures[] = {10, 11, 12, 13, 15, 16, 18, 20, 22, 24, 27, 30,
                               33, 36, 39, 43, 47, 51, 56, 62, 68, 75, 82, 91};
constexpr int e192_figures[] = {
    100, 101, 102, 104, 105, 106, 107, 109, 110, 111, 113, 114, 115, 117, 118, 120, 121, 123,
    124, 126, 127, 129, 130, 132, 133, 135, 137, 138, 140, 142, 143, 145, 147, 149, 150, 152,
    154, 156, 158, 160, 162, 164, 165, 167, 169, 172, 174, 176, 178, 180, 182, 184, 187, 189,
    191, 193, 196, 198, 200, 203, 205, 208, 210, 213, 215, 218, 221, 223, 226, 229, 232, 234,
    237, 240, 243, 246, 249, 252, 255, 258, 261, 264, 267, 271, 274, 277, 280, 284, 287, 291,
    294, 298, 301, 305, 309, 312, 316, 320, 324, 328, 332, 336, 340, 344, 348, 352, 357, 361,
    365, 370, 374, 379, 383, 388, 392, 397, 402, 407, 412, 417, 422, 427, 432, 437, 442, 448,
    453, 459, 464, 470, 475, 481, 487, 493, 499, 505, 511, 517, 523, 530, 536, 542, 549, 556,
    562, 569, 576, 583, 590, 597, 604, 612, 619, 626, 634, 642, 649, 657, 665, 673, 681, 690,
    698, 706, 715, 723, 732, 741, 750, 759, 768, 777, 787, 796, 806, 816, 825, 835, 845, 856,
    866, 876, 887, 898, 909, 920, 931, 942, 953, 965, 976, 988};

// A series as every `step`th value of one of the two lists; `digits` is how
// many figures the list writes before the decimal point moves in (10 for 1.0).
struct SeriesTable {
    std::string_view name;
    std::span<const int> figures;
    std::size_t step;
    int digits;
};

// In the order of the Series enumerators.
const SeriesTable tables[] = {{"E3", e24_figures, 8, 2},   {"E6", e24_figures, 4, 2},
                              {"E12", e24_figures, 2, 2},  {"E24", e24_figures, 1, 2},
                              {"E48", e192_figures, 4, 3}, {"E96", e192_figures, 2, 3},
                              {"E192", e192_figures, 1, 3}};

const SeriesTable& table(Series series) { return tables[static_cast<int>(series)]; }

// The double nearest to figures x 10^exponent: powers of ten up to 10^7 and
// the figures are exact in double precision, so one product or one quotient
// rounds once.
double scaled(int figures, int exponent) {
    constexpr double powers[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7};
    return exponent >= 0 ? figures * powers[exponent] : figures / powers[-exponent];
}

// The decades from 0.1 ohm (10^-1) up to 1 Mohm (10^6), then 10 Mohm alone.
std::vector<double> values_in_range(Series series) {
    const SeriesTable& t = table(series);
    std::vector<double> values;
    for (int decade = -1; decade <= 6; ++decade)
        for (std::size_t i = 0; i < t.figures.size(); i += t.step)
            values.push_back(scaled(t.figures[i], decade - (t.digits - 1)));
    values.push_back(highest_value);
    return values;
}

// A total tried for a resistor, before it becomes a Choice.
struct Total {
    double ohms;
    double a;
    double b;
    Joined joined;
};

// Totals that differ by no more than rounding are one total.
bool same_total(double x, double y) { return std::fabs(x - y) <= 1e-12 * std::max(x, y); }

// Of the ways to make one total, the plainest is kept: one value, then two
// equal values, then two different ones.
int plainness(const Total& t) { return t.joined == Joined::single ? 0 : t.a == t.b ? 1 : 2; }

constexpr std::size_t kept_per_side = 3;

// The nearest distinct pair totals found so far on each side of the ideal
// value, nearest first, and one equal to it if any.
struct NearestTotals {
    double ideal;
    std::vector<Total> below;
    std::vector<Total> above;
    std::vector<Total> at;
};

// Keeps `t` on one side if it is among the `most` nearest distinct totals
// there. Most totals offered are farther than all those kept: they are
// turned away before anything else.
void keep_if_nearer(std::vector<Total>& side, const Total& t, double ideal, std::size_t most) {
    double distance = std::fabs(t.ohms - ideal);
    if (side.size() == most && distance > std::fabs(side.back().ohms - ideal) + 1e-12 * t.ohms)
        return;
    for (Total& kept : side)
        if (same_total(kept.ohms, t.ohms)) {
            if (plainness(t) < plainness(kept))
                kept = t;
            return;
        }
    auto place = std::find_if(side.begin(), side.end(), [&](const Total& kept) {
        return std::fabs(kept.ohms - ideal) > distance;
    });
    side.insert(place, t);
    if (side.size() > most)
        side.pop_back();
}

void offer(NearestTotals& n, const Total& t) {
    if (same_total(t.ohms, n.ideal))
        keep_if_nearer(n.at, t, n.ideal, 1);
    else
        keep_if_nearer(t.ohms < n.ideal ? n.below : n.above, t, n.ideal, kept_per_side);
}

bool full(const std::vector<Total>& side) { return side.size() == kept_per_side; }

// Offers the pairs of `a` with the values around `partner`, the value that
// would make the ideal total exactly. The total rises with the partner, so
// four values on each side hold the three nearest totals below and above,
// however the partner itself was rounded.
void offer_partners(const std::vector<double>& values, double a, double partner, Joined joined,
                    NearestTotals& n) {
    auto at = std::lower_bound(values.begin(), values.end(), partner) - values.begin();
    auto first = std::max<std::ptrdiff_t>(at - 4, 0);
    auto last = std::min<std::ptrdiff_t>(at + 4, std::ssize(values));
    for (auto i = first; i < last; ++i) {
        double b = values[static_cast<std::size_t>(i)];
        double total = joined == Joined::series ? a + b : a * b / (a + b);
        offer(n, {total, std::min(a, b), std::max(a, b), joined});
    }
}

// The bounds below hold for the nearest totals kept so far; they only come
// nearer as the search goes on, so a bound taken early stays safe.
double farthest_below(const NearestTotals& n) { return full(n.below) ? n.below.back().ohms : 0; }
double farthest_above(const NearestTotals& n) {
    return full(n.above) ? n.above.back().ohms : std::numeric_limits<double>::infinity();
}

// Two in series, met from the larger value of each pair, which lies between
// half the total and the total: from half the farthest total kept below up
// to the farthest kept above. The value nearest half the ideal value and its
// partners come first, to set those bounds.
void offer_series_pairs(const std::vector<double>& values, NearestTotals& n) {
    double half = nearest_value(values, n.ideal / 2);
    offer_partners(values, half, n.ideal - half, Joined::series, n);
    auto from = std::lower_bound(values.begin(), values.end(), farthest_below(n) / 2);
    for (auto b = from; b != values.end() && *b <= farthest_above(n); ++b)
        offer_partners(values, *b, n.ideal - *b, Joined::series, n);
}

// Two in parallel, met from the smaller value of each pair, which lies
// between the total and twice the total: above the farthest total kept below
// and up to twice the farthest kept above. A value at or under the ideal
// value would need an infinite partner: it takes the largest.
void offer_parallel_pairs(const std::vector<double>& values, NearestTotals& n) {
    auto from = std::upper_bound(values.begin(), values.end(), farthest_below(n));
    for (auto a = from; a != values.end() && *a <= 2 * farthest_above(n); ++a) {
        double partner =
            *a > n.ideal ? *a * n.ideal / (*a - n.ideal) : std::numeric_limits<double>::infinity();
        offer_partners(values, *a, partner, Joined::parallel, n);
    }
}

Choice to_choice(const Total& t) {
    if (t.joined == Joined::single)
        return {t.ohms, {t.a}, Joined::single};
    return {t.ohms, {t.a, t.b}, t.joined};
}

} // namespace

std::optional<Series> find_series(std::string_view name) {
    if (name.empty() || (name[0] != 'E' && name[0] != 'e'))
        return std::nullopt;
    for (Series s : all_series)
        if (table(s).name.substr(1) == name.substr(1))
            return s;
    return std::nullopt;
}

std::string_view series_name(Series series) { return table(series).name; }

std::vector<double> decade_values(Series series) {
    const SeriesTable& t = table(series);
    std::vector<double> values;
    for (std::size_t i = 0; i < t.figures.size(); i += t.step)
        values.push_back(scaled(t.figures[i], 1 - t.digits));
    return values;
}

const std::vector<double>& preferred_values(Series series) {
    static const std::vector<std::vector<double>> all = [] {
        std::vector<std::vector<double>> lists;
        for (Series s : all_series)
            lists.push_back(values_in_range(s));
        return lists;
    }();
    return all[static_cast<std::size_t>(series)];
}

double nearest_value(const std::vector<double>& values, double ohms) {
    auto above = std::lower_bound(values.begin(), values.end(), ohms);
    if (above == values.begin())
        return *above;
    if (above == values.end())
        return values.back();
    double below = *(above - 1);
    // ohms / below against above / ohms, without taking logarithms.
    return ohms * ohms < below * *above ? below : *above;
}

std::vector<Choice> candidates(const std::vector<double>& values, double ideal, bool pairs) {
    std::vector<Total> totals;
    auto from = std::lower_bound(values.begin(), values.end(), ideal);
    auto to = std::upper_bound(values.begin(), values.end(), ideal);
    for (auto it = from - std::min<std::ptrdiff_t>(3, from - values.begin());
         it != to + std::min<std::ptrdiff_t>(3, values.end() - to); ++it)
        totals.push_back({*it, *it, *it, Joined::single});
    if (pairs) {
        NearestTotals n{ideal, {}, {}, {}};
        offer_series_pairs(values, n);
        offer_parallel_pairs(values, n);
        for (const auto* side : {&n.below, &n.at, &n.above})
            totals.insert(totals.end(), side->begin(), side->end());
    }
    // Ascending, each total once, made the plainest way.
    std::stable_sort(totals.begin(), totals.end(),
                     [](const Total& x, const Total& y) { return x.ohms < y.ohms; });
    std::vector<Choice> choices;
    for (std::size_t i = 0; i < totals.size();) {
        Total plainest = totals[i];
        std::size_t j = i + 1;
        for (; j < totals.size() && same_total(totals[j].ohms, totals[i].ohms); ++j)
            if (plainness(totals[j]) < plainness(plainest))
                plainest = totals[j];
        choices.push_back(to_choice(plainest));
        i = j;
    }
    return choices;
}

} // namespace padcalc
