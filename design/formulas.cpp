#include "formulas.h"

#include <cmath>
#include <numbers>

namespace padcalc {
namespace {

// A loss in dB as nepers: the voltage ratio K is e^x.
double nepers(double loss_db) { return loss_db * std::numbers::ln10 / 20.0; }

// (cosh x - sqrt(other/own)) / sinh x: a Tee's series arm over its own
// side's impedance. Where the own side is the higher the numerator is a sum
// of positive terms; where it is the lower, it is 2 sinh((x + m)/2)
// sinh((x - m)/2) with m the least loss, which is small exactly when the arm
// is and has the sign of x - m. Past 700 nepers, where sinh would overflow,
// coth x - sqrt(r)/sinh x has nothing left to cancel.
double series_ratio(double x, double own, double other) {
    double root = std::sqrt(other / own);
    if (x > 700)
        return 1 / std::tanh(x) - root / std::sinh(x);
    double excess = 0;
    if (other <= own) {
        double half = std::sinh(x / 2);
        excess = 2 * half * half + (own - other) / own / (1 + root);
    } else {
        double m = least_loss_nepers(own, other);
        excess = 2 * std::sinh((x + m) / 2) * std::sinh((x - m) / 2);
    }
    return excess / std::sinh(x);
}

// Geometric mean of the impedances, without overflow.
double mean(double zone, double ztwo) { return std::sqrt(zone) * std::sqrt(ztwo); }

std::vector<double> halve(std::vector<double> r, int index) {
    r[static_cast<std::size_t>(index)] /= 2;
    return r;
}

} // namespace

double least_loss_nepers(double zone, double ztwo) {
    double high = std::max(zone, ztwo);
    double low = std::min(zone, ztwo);
    double ratio = (high - low) / low;
    // Beyond the largest double (1e300 ohm to 1e-300 ohm) the root of each.
    double root = std::isfinite(ratio) ? std::sqrt(ratio) : std::sqrt(high - low) / std::sqrt(low);
    return std::asinh(root);
}

// R1 and R2 the series arms, R3 the shunt arm: sqrt(Z1 Z2) / sinh x.
std::vector<double> tee_formula(double zone, double ztwo, double loss) {
    double x = nepers(loss);
    return {zone * series_ratio(x, zone, ztwo), ztwo * series_ratio(x, ztwo, zone),
            mean(zone, ztwo) / std::sinh(x)};
}

// The Tee with each series arm split into a half in each line.
std::vector<double> h_formula(double zone, double ztwo, double loss) {
    return halve(halve(tee_formula(zone, ztwo, loss), 0), 1);
}

// The Tee's dual: R1 and R2 the shunt arms, R3 the series arm sqrt(Z1 Z2) sinh x.
std::vector<double> pi_formula(double zone, double ztwo, double loss) {
    double x = nepers(loss);
    return {zone / series_ratio(x, ztwo, zone), ztwo / series_ratio(x, zone, ztwo),
            mean(zone, ztwo) * std::sinh(x)};
}

// The Pi with its series arm split into a half in each line.
std::vector<double> pi_bal_formula(double zone, double ztwo, double loss) {
    return halve(pi_formula(zone, ztwo, loss), 2);
}

// R1 = Z1 sqrt(1 - Z2/Z1) in series on the inward side, R3 = Z2 / sqrt(1 -
// Z2/Z1) across the outward side; the loss is the least there is.
std::vector<double> min_loss_formula(double zone, double ztwo, double /*loss*/) {
    double a = std::sqrt((zone - ztwo) / zone);
    return {zone * a, ztwo / a};
}

std::vector<double> min_loss_bal_formula(double zone, double ztwo, double loss) {
    return halve(min_loss_formula(zone, ztwo, loss), 0);
}

// R1 = R2 = Z, the shunt arm Z / (K - 1) and the bridge Z (K - 1).
std::vector<double> bridged_tee_formula(double zone, double /*ztwo*/, double loss) {
    double k_less_one = std::expm1(nepers(loss));
    return {zone, zone, zone / k_less_one, zone * k_less_one};
}

// Matched looking in: the series arm Z (1 - 1/K) on the inward side, the
// shunt arm Z / (K - 1) across the outward port.
std::vector<double> l_pad_formula(double zone, double /*ztwo*/, double loss) {
    double x = nepers(loss);
    return {-zone * std::expm1(-x), zone / std::expm1(x)};
}

std::vector<double> u_pad_formula(double zone, double ztwo, double loss) {
    return halve(l_pad_formula(zone, ztwo, loss), 0);
}

} // namespace padcalc
