// Two builds of a design from preferred values: each resistor rounded on its
// own, and the combination chosen together for the least error in loss and
// match; and what the resistors' tolerance does to a build.
#pragma once

#include "circuit.h"
#include "network.h"
#include "preferred.h"

#include <optional>
#include <string>
#include <vector>

namespace padcalc {

struct Build {
    std::vector<Choice> resistors; // in the order the network names them
    Analysis analysis;             // with the design's Z1 and Z2
    double merit = 0;
};

struct Builds {
    Series series;
    // Each resistor rounded to its nearest preferred value, one value each
    // even when pairs are allowed: the build of rounding one at a time.
    Build nearest;
    // The combination of candidates with the least merit figure; of those
    // whose figures agree to 1e-9, the one built from fewer distinct values.
    Build best;
};

// The figure of merit, smaller being better: the worst of the loss error in
// units of 0.1 dB and each port's reflection coefficient in units of 0.01 (a
// 40 dB return loss). A minimal loss pad has no loss asked for, so its loss
// error does not count.
double merit(const Design& d, const Analysis& a);

// Why a design that can be built has no build from the preferred values: its
// first ideal value outside 0.1 ohm .. 10 Mohm, with that value, or without
// `with_value` in words that hold for any value on the same side ("R3 would
// be below the preferred values' range..."). Empty when every value is inside.
std::string out_of_range(const Design& d, bool with_value = true);

// Both builds of a buildable design. Empty, with `why` set, when the design
// cannot be built or an ideal value is outside 0.1 ohm .. 10 Mohm.
std::optional<Builds> choose_builds(const Design& d, Series series, bool pairs, std::string& why);

// The totals of a build's resistors, as `analyse` takes them.
std::vector<double> totals(const Build& b);

struct ToleranceSpread {
    double percent = 0;
    double loss_low = 0; // dB
    double loss_high = 0;
    double worst_return_loss_in = 0; // dB, the least over the corners
    double worst_return_loss_out = 0;
};

// The loss and return losses over every corner of the tolerance box: each
// physical part (each half of a balanced series arm, each part of a pair, on
// its own) at -percent or +percent. Loss and port impedances move one way
// with each part, so the corners hold their extremes.
ToleranceSpread tolerance_spread(Circuit circuit, double zone, double ztwo, double percent);

} // namespace padcalc
