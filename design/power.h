// What each part of a pad dissipates and withstands, for each load asked
// for and fed from either port, against its power and voltage ratings.
#pragma once

#include "power_flow.h"
#include "problem.h"
#include "settings.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace padcalc {

// The figures with one load: the source at the inward port and the load at
// the outward port, and turned round.
struct LoadCase {
    Load load;
    PowerFlow inward;
    PowerFlow outward;
};

struct Power {
    double available = 0;           // watts
    std::vector<std::string> parts; // the physical parts' names: R1, R1A, R1_1...
    std::vector<LoadCase> cases;    // one for each load asked for
    LoadCase worst;                 // each figure's largest over the cases
    std::optional<double> rating;   // watts each part may dissipate, as given
    std::optional<double> ambient;  // degrees Celsius
    std::optional<double> derated;  // the rating at that ambient
    std::optional<double> max_voltage;
    bool outward_checked = true; // a cascade is checked fed inward only

    // The rating checked: derated, with an ambient.
    std::optional<double> checked_rating() const { return derated ? derated : rating; }
    // Whether part i is over its rating, or over its voltage, in the worst case.
    bool over_rating(std::size_t i) const;
    bool over_voltage(std::size_t i) const;
    // The same fed one way only.
    bool over_rating(std::size_t i, Feed feed) const;
    bool over_voltage(std::size_t i, Feed feed) const;
};

// The power in the parts of pads in cascade (one pad: a design), each pad's
// own, when `s` asks for power.
std::vector<Power> power_of(std::span<const Circuit> stages, double zone, double ztwo,
                            const Settings& s, bool outward_checked);

// A rating at an ambient temperature: in full up to the knee, falling
// linearly to nothing at the limit.
double derated_rating(double rating, double ambient, const Derating& d);

// Names each part over its rating or its voltage, one message each.
void check_power(const Power& p, const std::string& which, std::vector<Problem>& problems);

} // namespace padcalc
