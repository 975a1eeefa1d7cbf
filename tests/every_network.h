// Entries that any network of the table can be built from, chosen from its
// entry's flags alone, so that a network added to the table is tested by
// every test that goes through the table, with no test written for it.
#pragma once

#include "design/network.h"

#include <sstream>
#include <string>
#include <vector>

namespace padcalc {

struct BuildableEntries {
    double zone;
    double ztwo;
    double loss; // ignored by a minimal loss pad
};

// One impedance where the network takes one, the larger inward for a
// minimal loss pad, and otherwise 50 to 75 ohms; 10 dB is above the least
// loss of each.
inline BuildableEntries buildable_entries(const NetworkInfo& n) {
    if (n.min_loss)
        return {600, 150, 0};
    if (n.equal_impedances)
        return {50, 50, 10};
    return {50, 75, 10};
}

// The same design as the command line's arguments: the network's id, then
// its entries in the order design_entries() names them.
inline std::vector<std::string> design_arguments(const NetworkInfo& n) {
    BuildableEntries e = buildable_entries(n);
    std::vector<std::string> args = {std::string(n.id)};
    for (std::string_view entry : design_entries(&n)) {
        std::ostringstream number;
        number << (entry == "LOSS" ? e.loss : entry == "Z2" ? e.ztwo : e.zone);
        args.push_back(number.str());
    }
    return args;
}

} // namespace padcalc
