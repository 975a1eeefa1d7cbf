// The seven networks, what their resistors are called and do, and their
// designs from the formulas.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace padcalc {

enum class Network { tee, h, pi, pi_bal, min_loss, min_loss_bal, bridged_tee };

inline constexpr Network all_networks[] = {
    Network::tee,          Network::h,          Network::pi, Network::pi_bal, Network::min_loss,
    Network::min_loss_bal, Network::bridged_tee};

// One of a network's resistors, as the menu names it.
struct ResistorRole {
    std::string_view name; // "R1"
    std::string_view role; // "series arm, inward side"
};

struct NetworkInfo {
    Network network;
    std::string_view id;    // the command line's name: "pi-bal"
    std::string_view title; // "Balanced Pi"
    bool balanced;
    bool min_loss;         // no loss is asked for: the pad has the least loss
    bool equal_impedances; // one impedance Z on both sides
    std::vector<ResistorRole> resistors;
};

const NetworkInfo& info(Network network);
// The network with this command-line name, or nullptr.
const NetworkInfo* find_network(std::string_view id);

// The least loss, in dB, that any resistive pad between these impedances
// can have: 20 log10(sqrt(r) + sqrt(r - 1)), r the larger over the smaller.
double least_loss(double zone, double ztwo);

// A design: the entries and the resistors, in the order the network names
// them, each the value of one physical resistor.
struct Design {
    Network network = Network::tee;
    double zone = 0;
    double ztwo = 0;
    double loss = 0;     // asked for; for a minimal loss pad, its loss
    double min_loss = 0; // the least loss for these impedances
    std::vector<double> resistors;
    bool buildable = false;
};

// Designs the network. A minimal loss pad ignores `loss`; a bridged Tee
// takes `zone` as its one impedance and `ztwo` must equal it.
Design design(Network network, double zone, double ztwo, double loss);

// Why a design cannot be built, or an empty text if it can.
std::string why_unbuildable(const Design& d);

// Why given resistors between given impedances make no network (one that
// is not a positive, finite number), or an empty text if they do.
std::string why_not_a_network(const Design& d);

} // namespace padcalc
