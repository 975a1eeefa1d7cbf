#include "steps.h"

#include "design/network.h"

#include <cmath>

namespace padcalc {
namespace {

// Rounds a line's double-precision result to the single precision it is
// stored in.
float stored(double value) { return static_cast<float>(value); }

// The Tee, with each series arm split into `parts` equal parts: 1 for the
// Tee, 2 for the H, whose shunt arm is the Tee's.
FixedLossArms tee_split(float zone, float ztwo, float loss, double parts) {
    float N = stored(std::pow(10.0, loss / 10.0)); // the power ratio
    float a = stored(std::pow(double{N} * zone * ztwo, 0.5));
    FixedLossArms arms;
    arms.rthree = stored(2.0 * a / (N - 1.0));
    float b = stored((N + 1.0) / (N - 1.0));
    arms.rone = stored((double{zone} * b - arms.rthree) / parts);
    arms.rtwo = stored((double{ztwo} * b - arms.rthree) / parts);
    return arms;
}

} // namespace

FixedLossArms tee_arms(float zone, float ztwo, float loss) {
    return tee_split(zone, ztwo, loss, 1.0);
}

FixedLossArms h_arms(float zone, float ztwo, float loss) {
    return tee_split(zone, ztwo, loss, 2.0);
}

FixedLossArms pi_arms(float zone, float ztwo, float loss) {
    float N = stored(std::pow(10.0, loss / 10.0));
    float a = stored(std::pow(double{zone} * ztwo / N, 0.5));
    FixedLossArms arms;
    arms.rthree = stored((N - 1.0) / 2.0 * a);
    float b = stored((N + 1.0) / (N - 1.0));
    arms.rone = stored(1.0 / (1.0 / zone * b - 1.0 / arms.rthree));
    arms.rtwo = stored(1.0 / (1.0 / ztwo * b - 1.0 / arms.rthree));
    return arms;
}

// The Pi's shunt arms, and its series arm split into a half in each line.
FixedLossArms pi_bal_arms(float zone, float ztwo, float loss) {
    FixedLossArms arms = pi_arms(zone, ztwo, loss);
    arms.rthree = stored(arms.rthree / 2.0);
    return arms;
}

MinLossPad min_loss_pad(float zone, float ztwo, bool balanced) {
    float a = stored(std::pow(1.0 - double{ztwo} / zone, 0.5));
    MinLossPad pad;
    pad.rone = stored(balanced ? double{zone} * a / 2.0 : double{zone} * a);
    pad.rthree = stored(double{ztwo} / a);
    // The loss: 20 log10(sqrt(Z1/Z2) + sqrt(Z1/Z2 - 1)), the logarithm taken
    // in double precision of the stored power ratio.
    float b = stored(std::pow(double{zone} / ztwo, 0.5));
    float c = stored(std::pow(double{zone} / ztwo - 1.0, 0.5));
    float N = stored(std::pow(double{b} + c, 2.0));
    pad.loss = stored(10.0 * std::log10(double{N}));
    return pad;
}

float checked(float steps, double exact) {
    if (!std::isfinite(exact) || exact == 0)
        return steps;
    if (std::fabs(double{steps} - exact) <= 1e-4 * std::fabs(exact))
        return steps;
    return stored(exact);
}

std::vector<double> exact_resistors(std::string_view id, float zone, float ztwo, float loss) {
    return design(network(id), zone, ztwo, loss).resistors;
}

} // namespace padcalc
