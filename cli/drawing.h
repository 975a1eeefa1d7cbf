// A drawing of a network in the terminal: each resistor named where it sits
// between the inward port, the outward port and the common line.
#pragma once

#include "design/network.h"

#include <string>

namespace padcalc {

// The drawing, lines ending in '\n': in box-drawing characters, or with
// `ascii` in plain ASCII.
std::string drawing(Network network, bool ascii);

} // namespace padcalc
