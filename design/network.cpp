#include "network.h"

#include "formulas.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <stdexcept>

namespace padcalc {
namespace {

constexpr Step series(int resistor) { return {Arm::series, resistor}; }
constexpr Step shunt(int resistor) { return {Arm::shunt, resistor}; }

bool positive_finite(double value) { return value > 0 && std::isfinite(value); }

// The values the analysis holds to 1e-6 relative in any mix.
constexpr double least_ohms = 1e-9;
constexpr double most_ohms = 1e15;

bool in_range(double ohms) { return ohms >= least_ohms && ohms <= most_ohms; }

// The table, built on first use so that it is there for any static
// initialiser that asks for a network.
std::span<const NetworkInfo> table() {
    static const NetworkInfo entries[] = {
        {
            .id = "tee",
            .title = "Unbalanced Tee",
            .balanced = false,
            .min_loss = false,
            .equal_impedances = false,
            .outward_matched = true,
            .resistors = {{"R1", "series arm, inward side"},
                          {"R2", "series arm, outward side"},
                          {"R3", "shunt arm"}},
            .topology = {.ladder = {series(0), shunt(2), series(1)}},
            .formula = tee_formula,
            .drawing = " in o---[R1]---+---[R2]---o out\n"
                       "               |\n"
                       "              [R3]\n"
                       "               |\n"
                       "gnd o----------+----------o gnd\n",
        },
        {
            .id = "h",
            .title = "Balanced H",
            .balanced = true,
            .min_loss = false,
            .equal_impedances = false,
            .outward_matched = true,
            .resistors = {{"R1", "series arm, inward side, each line"},
                          {"R2", "series arm, outward side, each line"},
                          {"R3", "shunt arm"}},
            .topology = {.ladder = {series(0), shunt(2), series(1)}},
            .formula = h_formula,
            .drawing = "inp o---[R1]---+---[R2]---o outp\n"
                       "               |\n"
                       "              [R3]\n"
                       "               |\n"
                       "inn o---[R1]---+---[R2]---o outn\n",
        },
        {
            .id = "pi",
            .title = "Unbalanced Pi",
            .balanced = false,
            .min_loss = false,
            .equal_impedances = false,
            .outward_matched = true,
            .resistors = {{"R1", "shunt arm, inward side"},
                          {"R2", "shunt arm, outward side"},
                          {"R3", "series arm"}},
            .topology = {.ladder = {shunt(0), series(2), shunt(1)}},
            .formula = pi_formula,
            .drawing = " in o----+---[R3]---+----o out\n"
                       "         |          |\n"
                       "        [R1]       [R2]\n"
                       "         |          |\n"
                       "gnd o----+----------+----o gnd\n",
        },
        {
            .id = "pi-bal",
            .title = "Balanced Pi",
            .balanced = true,
            .min_loss = false,
            .equal_impedances = false,
            .outward_matched = true,
            .resistors = {{"R1", "shunt arm, inward side"},
                          {"R2", "shunt arm, outward side"},
                          {"R3", "series arm, each line"}},
            .topology = {.ladder = {shunt(0), series(2), shunt(1)}},
            .formula = pi_bal_formula,
            .drawing = "inp o----+---[R3]---+----o outp\n"
                       "         |          |\n"
                       "        [R1]       [R2]\n"
                       "         |          |\n"
                       "inn o----+---[R3]---+----o outn\n",
        },
        {
            .id = "min-loss",
            .title = "Minimal Loss Pad (Unbalanced)",
            .balanced = false,
            .min_loss = true,
            .equal_impedances = false,
            .outward_matched = true,
            .resistors = {{"R1", "series arm, inward side"}, {"R3", "shunt arm, outward side"}},
            .topology = {.ladder = {series(0), shunt(1)}},
            .formula = min_loss_formula,
            .drawing = " in o---[R1]---+----o out\n"
                       "               |\n"
                       "              [R3]\n"
                       "               |\n"
                       "gnd o----------+----o gnd\n",
        },
        {
            .id = "min-loss-bal",
            .title = "Minimal Loss Pad (Balanced)",
            .balanced = true,
            .min_loss = true,
            .equal_impedances = false,
            .outward_matched = true,
            .resistors = {{"R1", "series arm, inward side, each line"},
                          {"R3", "shunt arm, outward side"}},
            .topology = {.ladder = {series(0), shunt(1)}},
            .formula = min_loss_bal_formula,
            .drawing = "inp o---[R1]---+----o outp\n"
                       "               |\n"
                       "              [R3]\n"
                       "               |\n"
                       "inn o---[R1]---+----o outn\n",
        },
        {
            .id = "bridged-tee",
            .title = "Bridged Tee",
            .balanced = false,
            .min_loss = false,
            .equal_impedances = true,
            .outward_matched = true,
            .resistors = {{"R1", "series arm, inward side"},
                          {"R2", "series arm, outward side"},
                          {"R3", "shunt arm"},
                          {"R4", "bridge"}},
            .topology = {.ladder = {series(0), shunt(2), series(1)}, .bridge = 3},
            .formula = bridged_tee_formula,
            .drawing = "         +--------[R4]--------+\n"
                       "         |                    |\n"
                       " in o----+---[R1]---+---[R2]--+----o out\n"
                       "                    |\n"
                       "                   [R3]\n"
                       "                    |\n"
                       "gnd o---------------+--------------o gnd\n",
        },
        {
            .id = "l-pad",
            .title = "L-pad",
            .balanced = false,
            .min_loss = false,
            .equal_impedances = true,
            .outward_matched = false,
            .resistors = {{"R1", "series arm, inward side"}, {"R3", "shunt arm, outward side"}},
            .topology = {.ladder = {series(0), shunt(1)}},
            .formula = l_pad_formula,
            .drawing = " in o---[R1]---+----o out\n"
                       "               |\n"
                       "              [R3]\n"
                       "               |\n"
                       "gnd o----------+----o gnd\n",
        },
        {
            .id = "u-pad",
            .title = "U-pad",
            .balanced = true,
            .min_loss = false,
            .equal_impedances = true,
            .outward_matched = false,
            .resistors = {{"R1", "series arm, inward side, each line"},
                          {"R3", "shunt arm, outward side"}},
            .topology = {.ladder = {series(0), shunt(1)}},
            .formula = u_pad_formula,
            .drawing = "inp o---[R1]---+----o outp\n"
                       "               |\n"
                       "              [R3]\n"
                       "               |\n"
                       "inn o---[R1]---+----o outn\n",
        },
    };
    return entries;
}

} // namespace

std::span<const NetworkInfo> networks() { return table(); }

Network find_network(std::string_view id) {
    for (const NetworkInfo& n : table())
        if (n.id == id)
            return &n;
    return nullptr;
}

Network network(std::string_view id) {
    if (Network n = find_network(id))
        return n;
    throw std::invalid_argument("no network named " + std::string(id));
}

std::size_t longest_id(std::span<const NetworkInfo> among) {
    std::size_t longest = 0;
    for (const NetworkInfo& n : among)
        longest = std::max(longest, n.id.size());
    return longest;
}

std::vector<std::string_view> design_entries(Network network) {
    std::vector<std::string_view> names;
    if (network->equal_impedances)
        names.emplace_back("Z");
    else
        names.insert(names.end(), {"Z1", "Z2"});
    if (!network->min_loss)
        names.emplace_back("LOSS");
    return names;
}

double least_loss(double zone, double ztwo) {
    return least_loss_nepers(zone, ztwo) * 20.0 / std::numbers::ln10;
}

Design design(Network network, double zone, double ztwo, double loss) {
    Design d;
    d.network = network;
    d.zone = zone;
    d.ztwo = ztwo;
    d.min_loss = least_loss(zone, ztwo);
    d.loss = network->min_loss ? d.min_loss : loss;
    d.resistors = network->formula(zone, ztwo, loss);
    d.buildable = why_unbuildable(d).empty();
    return d;
}

std::string why_unbuildable(const Design& d) {
    const NetworkInfo& n = *d.network;
    if (!positive_finite(d.zone) || !positive_finite(d.ztwo))
        return "the impedances must be positive, finite numbers";
    if (n.equal_impedances && d.zone != d.ztwo)
        return "the impedances on both sides must be equal";
    if (n.min_loss && !(d.zone > d.ztwo))
        return "the inward impedance must be greater than the outward impedance";
    if (!std::isfinite(d.loss))
        return "the loss must be a finite number";
    if (!n.min_loss && d.loss <= d.min_loss) {
        char text[120];
        std::snprintf(text, sizeof text,
                      "the loss must be greater than %.3f dB for these impedances", d.min_loss);
        return text;
    }
    for (double r : d.resistors)
        if (!positive_finite(r))
            return "the resistors would not all be positive, finite values";
    return {};
}

std::string why_not_a_network(const Design& d) {
    if (!positive_finite(d.zone) || !positive_finite(d.ztwo))
        return "the impedances must be positive, finite numbers";
    for (double r : d.resistors)
        if (!positive_finite(r))
            return "the resistors must be positive, finite numbers";
    for (double ohms : {d.zone, d.ztwo})
        if (!in_range(ohms))
            return "the impedances must be from 1e-9 ohm to 1e15 ohm";
    for (double r : d.resistors)
        if (!in_range(r))
            return "the resistors must be from 1e-9 ohm to 1e15 ohm";
    return {};
}

} // namespace padcalc
