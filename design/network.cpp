#include "network.h"

#include "formulas.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace padcalc {
namespace {

const NetworkInfo networks[] = {
    {Network::tee,
     "tee",
     "Unbalanced Tee",
     false,
     false,
     false,
     {{"R1", "series arm, inward side"}, {"R2", "series arm, outward side"}, {"R3", "shunt arm"}}},
    {Network::h,
     "h",
     "Balanced H",
     true,
     false,
     false,
     {{"R1", "series arm, inward side, each line"},
      {"R2", "series arm, outward side, each line"},
      {"R3", "shunt arm"}}},
    {Network::pi,
     "pi",
     "Unbalanced Pi",
     false,
     false,
     false,
     {{"R1", "shunt arm, inward side"}, {"R2", "shunt arm, outward side"}, {"R3", "series arm"}}},
    {Network::pi_bal,
     "pi-bal",
     "Balanced Pi",
     true,
     false,
     false,
     {{"R1", "shunt arm, inward side"},
      {"R2", "shunt arm, outward side"},
      {"R3", "series arm, each line"}}},
    {Network::min_loss,
     "min-loss",
     "Minimal Loss Pad (Unbalanced)",
     false,
     true,
     false,
     {{"R1", "series arm, inward side"}, {"R3", "shunt arm, outward side"}}},
    {Network::min_loss_bal,
     "min-loss-bal",
     "Minimal Loss Pad (Balanced)",
     true,
     true,
     false,
     {{"R1", "series arm, inward side, each line"}, {"R3", "shunt arm, outward side"}}},
    {Network::bridged_tee,
     "bridged-tee",
     "Bridged Tee",
     false,
     false,
     true,
     {{"R1", "series arm, inward side"},
      {"R2", "series arm, outward side"},
      {"R3", "shunt arm"},
      {"R4", "bridge"}}},
};

bool positive_finite(double value) { return value > 0 && std::isfinite(value); }

// Fills in the resistors, and a minimal loss pad's loss.
void apply_formulas(Design& d) {
    auto z1 = static_cast<float>(d.zone); // the menu reads its entries in single precision
    auto z2 = static_cast<float>(d.ztwo);
    auto l = static_cast<float>(d.loss);
    FixedLossArms arms;
    switch (d.network) {
    case Network::tee:
        arms = tee_arms(z1, z2, l);
        break;
    case Network::h:
        arms = h_arms(z1, z2, l);
        break;
    case Network::pi:
        arms = pi_arms(z1, z2, l);
        break;
    case Network::pi_bal:
        arms = pi_bal_arms(z1, z2, l);
        break;
    case Network::min_loss:
    case Network::min_loss_bal: {
        MinLossPad pad = min_loss_pad(z1, z2, d.network == Network::min_loss_bal);
        d.resistors = {pad.rone, pad.rthree};
        d.loss = pad.loss;
        return;
    }
    case Network::bridged_tee: {
        BridgedTeeArms b = bridged_tee_arms(d.zone, d.loss);
        d.resistors = {b.rone, b.rtwo, b.rthree, b.rfour};
        return;
    }
    }
    d.resistors = {arms.rone, arms.rtwo, arms.rthree};
}

} // namespace

const NetworkInfo& info(Network network) { return networks[static_cast<int>(network)]; }

const NetworkInfo* find_network(std::string_view id) {
    for (const NetworkInfo& n : networks)
        if (n.id == id)
            return &n;
    return nullptr;
}

double least_loss(double zone, double ztwo) {
    double r = std::max(zone, ztwo) / std::min(zone, ztwo);
    return 20.0 * std::log10(std::sqrt(r) + std::sqrt(r - 1.0));
}

Design design(Network network, double zone, double ztwo, double loss) {
    Design d;
    d.network = network;
    d.zone = zone;
    d.ztwo = ztwo;
    d.loss = loss;
    d.min_loss = least_loss(zone, ztwo);
    apply_formulas(d);
    d.buildable = why_unbuildable(d).empty();
    return d;
}

std::string why_unbuildable(const Design& d) {
    const NetworkInfo& n = info(d.network);
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
    if (!why_not_a_network(d).empty())
        return "the resistors would not all be positive, finite values";
    return {};
}

std::string why_not_a_network(const Design& d) {
    if (!positive_finite(d.zone) || !positive_finite(d.ztwo))
        return "the impedances must be positive, finite numbers";
    for (double r : d.resistors)
        if (!positive_finite(r))
            return "the resistors must be positive, finite numbers";
    return {};
}

} // namespace padcalc
