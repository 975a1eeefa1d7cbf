// A resistor as it is at radio frequencies: its resistance R in series with
// an inductance Ls, the two shunted by a capacitance Cp, and a capacitance
// Cg from each of its ends to ground. And the typical values of chip
// resistors of the sizes for which they are published.
#pragma once

#include "circuit.h"
#include "preferred.h"

#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace padcalc {

struct PartModel {
    double ls = 0; // henries
    double cp = 0; // farads
    double cg = 0; // farads, at each end
};

// A chip resistor's size and its published values, with where they come
// from. None is published for Cg, which is the board's as much as the part's.
struct Package {
    std::string_view size; // "0402"
    double ls;
    double cp;
};

std::span<const Package> packages();
// The package of that size, or nullptr when none is published for it.
const Package* find_package(std::string_view size);

} // namespace padcalc
