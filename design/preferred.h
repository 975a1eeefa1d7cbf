// The preferred values of IEC 60063, E3 to E192, and the values a resistor
// of a given ideal value may be built from: one preferred value, or two in
// series or in parallel.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

namespace padcalc {

enum class Series { e3, e6, e12, e24, e48, e96, e192 };

inline constexpr Series all_series[] = {Series::e3,  Series::e6,  Series::e12, Series::e24,
                                        Series::e48, Series::e96, Series::e192};

// The series named "E24" (or "e24"), or nothing.
std::optional<Series> find_series(std::string_view name);
std::string_view series_name(Series series);

// One decade of the series, from 1.0 up to below 10, as the standard lists
// it: two figures up to E24, three from E48.
std::vector<double> decade_values(Series series);

// The range the values are taken from: 0.1 ohm up to 10 Mohm, both ends
// included (10 Mohm is the 1.0 of the decade above the last full one).
inline constexpr double lowest_value = 0.1;
inline constexpr double highest_value = 1e7;

// Every value of the series in that range, ascending, each the double
// nearest to the exact decimal value. Built once and never changed.
const std::vector<double>& preferred_values(Series series);

// The value in `values` (ascending) nearest to `ohms` as a ratio, that is on
// a log scale; at the geometric midpoint of two values, the upper one.
double nearest_value(const std::vector<double>& values, double ohms);

enum class Joined { single, series, parallel };

// A resistor as it is built: the total, and the preferred values it is made of.
struct Choice {
    double ohms = 0;
    std::vector<double> parts;
    Joined joined = Joined::single;
};

// The choices tried for a resistor of value `ideal`, ascending by total,
// each total once: the 3 preferred values nearest below it and the 3 nearest
// above it (and itself, if it is one); with `pairs`, also the 3 nearest
// distinct totals below and above of every pair of values in series or in
// parallel. Fewer near the ends of the range.
std::vector<Choice> candidates(const std::vector<double>& values, double ideal, bool pairs);

} // namespace padcalc
