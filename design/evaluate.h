// One design or check worked out for what was asked: builds
// from preferred values, their tolerance, and the power in each resistor.
#pragma once

#include "choose.h"
#include "circuit.h"
#include "network.h"
#include "settings.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace padcalc {

// The power in each physical resistor and in the load, fed from either port.
struct Power {
    double available = 0;           // watts
    std::vector<std::string> parts; // the physical resistors' names: R1, R1A, R1B...
    PowerFlow inward;               // the source at the inward port, the load Z2 at the outward
    PowerFlow outward;              // turned round: the source Z2 at the outward port
    std::optional<double> rating;   // watts each resistor may dissipate, if given
    // Whether part i dissipates more than its rating, fed either way.
    bool over_rating(std::size_t i) const {
        return rating && std::max(inward.parts[i], outward.parts[i]) > *rating;
    }
};

struct BuildResult {
    Build build;
    std::optional<ToleranceSpread> tolerance;
    std::optional<Power> power;
};

struct Result {
    Design design;
    std::optional<Analysis> analysis; // the figures of a check
    std::optional<Power> power;       // of the ideal design, or the checked resistors
    std::optional<Series> series;
    std::optional<BuildResult> nearest;
    std::optional<BuildResult> best;
};

// Works out what `s` asks for the design, or with `analysis` for a check of
// given resistors. Problems that are not the design's own (a value outside
// the preferred range, a resistor over its rating) are added to `problems`,
// one message each.
Result evaluate(const Design& d, const Settings& s, std::vector<std::string>& problems,
                std::optional<Analysis> analysis = std::nullopt);

// The resistors that the exports take: the best build with a series, the
// nearest with `nearest`, else the ideal design.
std::vector<double> exported_resistors(const Result& r, const Settings& s);
// Which values those are, in words: "ideal values", "best E24 build".
std::string exported_values(const Result& r, const Settings& s);

} // namespace padcalc
