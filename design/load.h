// The load at a pad's far port, as the power figures take it.
#pragma once

#include <string>

namespace padcalc {

struct Load {
    enum class Kind { matched, open, shorted, vswr };
    Kind kind = Kind::matched;
    double vswr = 1; // S, of a VSWR written S:1
};

// "matched", "open", "short", or the VSWR as "3:1".
std::string load_name(const Load& load);

} // namespace padcalc
