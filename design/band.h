// The band where a pad holds: the highest frequency up to which, at every
// frequency from DC, its loss stays within a margin of its value at DC and
// its return losses stay at or above a least value. For a network whose
// outward port is not meant to match, only the inward return loss counts.
#pragma once

#include "network.h"
#include "part_model.h"
#include "response.h"

#include <vector>

namespace padcalc {

struct Limits {
    double flat_db = 0.1; // how far the loss may move from its value at DC
    double match_db = 20; // the least return loss
};

// The limit that is reached first.
enum class Limit { loss, return_loss_in, return_loss_out };

// How far the search looks.
constexpr double holds_ceiling_hz = 1e12;

struct Holds {
    enum class Kind { to, never, beyond };
    Kind kind = Kind::beyond;
    double hz = 0;             // with `to`: the highest frequency where it holds
    Limit limit = Limit::loss; // with `to` and `never`: the limit reached first
};

// Searches the response from DC up to holds_ceiling_hz, from where the part
// model starts to matter, in steps of 2 % (10 % while every figure is under a
// tenth of the way to its limit), and then narrows the step in which a
// limit is first passed to 0.1 %. The --freq points play no part.
Holds holds(Response& response, const Limits& limits, bool outward_matched);

// Every network that can be designed for the same impedances and loss (the
// minimal loss pads only beside one another), with the same part model, by
// how far up its ideal design holds: the best first, in the table's order
// where they hold alike.
struct Compared {
    Network network;
    Holds holds;
};
std::vector<Compared> compare_networks(const Design& d, const PartModel& model,
                                       const Limits& limits);

} // namespace padcalc
