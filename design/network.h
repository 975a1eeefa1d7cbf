// The networks: each one entry of one table, which says everything about it
// that the rest of the program needs. The analysis, the search's quick
// model, the physical circuit, the drawing, the SPICE subcircuit and the
// command line's lists all derive from these entries.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace padcalc {

// One of a network's resistors, as the network names it.
struct ResistorRole {
    std::string_view name; // "R1"
    std::string_view role; // "series arm, inward side"
};

// Where a resistor sits in the ladder from the inward to the outward port:
// in the line (a series arm) or across it (a shunt arm). A balanced
// network's series arm is split into two equal halves, one in each line,
// and the resistor's value is that of one half.
enum class Arm { series, shunt };

struct Step {
    Arm arm;
    int resistor; // the index of the resistor in the network's list
};

// The network's circuit: a ladder of arms from the inward port to the
// outward port, and optionally a bridge, a resistor straight from the
// inward to the outward terminal across the whole ladder.
struct Topology {
    std::vector<Step> ladder;
    int bridge = -1; // the index of the bridging resistor, or -1
};

// The resistors, in the order the network names them, for the entries: the
// impedances on each side and the loss in dB (which a minimal loss pad
// ignores). Each value is the double precision of the exact formula.
using DesignFormula = std::vector<double> (*)(double zone, double ztwo, double loss);

// The table names every member of each entry (`.balanced = true`), and no
// member here has a default, so that an entry which leaves one out is
// named by the compiler (-Wmissing-field-initializers) rather than read as
// false.
struct NetworkInfo {
    std::string_view id;    // the command line's name: "pi-bal"
    std::string_view title; // "Balanced Pi"
    bool balanced;
    bool min_loss;         // no loss is asked for: the pad has the least loss
    bool equal_impedances; // one impedance Z on both sides
    bool outward_matched;  // the outward port is matched too, not only the inward
    std::vector<ResistorRole> resistors;
    Topology topology;
    DesignFormula formula;
    // The drawing in ASCII: '-' and '|' are wires, '+' a joint, [Rn] a
    // resistor, and the ports named at the ends of the lines.
    std::string_view drawing;
};

// A network is its entry in the table.
using Network = const NetworkInfo*;

std::span<const NetworkInfo> networks();
// The network with this command-line name, or nullptr.
Network find_network(std::string_view id);
// The network with this name, which must be one of the table's.
Network network(std::string_view id);

// The length of the longest id among these networks, the table's unless
// others are given: a column of ids is as wide as this and its gap.
std::size_t longest_id(std::span<const NetworkInfo> among = networks());

// The entries a design of the network takes, named as the command line
// names them and in its order: Z1 and Z2, or Z alone where one impedance is
// on both sides; then LOSS, unless the pad has the least loss.
std::vector<std::string_view> design_entries(Network network);

// The least loss, in dB, that any resistive pad between these impedances
// can have: 20 log10(sqrt(r) + sqrt(r - 1)), r the larger over the smaller.
double least_loss(double zone, double ztwo);

// A design: the entries and the resistors, in the order the network names
// them, each the value of one physical resistor.
struct Design {
    Network network = nullptr;
    double zone = 0;
    double ztwo = 0;
    double loss = 0;     // asked for; for a minimal loss pad, its loss
    double min_loss = 0; // the least loss for these impedances
    std::vector<double> resistors;
    bool buildable = false;
};

// Designs the network. A minimal loss pad ignores `loss`; a network of
// equal impedances takes `zone` as its one impedance and `ztwo` must equal it.
Design design(Network network, double zone, double ztwo, double loss);

// Why a design cannot be built, or an empty text if it can.
std::string why_unbuildable(const Design& d);

// Why given resistors between given impedances make no network (one that
// is not a positive, finite number), or an empty text if they do.
std::string why_not_a_network(const Design& d);

} // namespace padcalc
