// Each network's formulas: the resistors for given impedances and loss.
//
// These are the values the menu's screens print. Every line of a formula
// works in double precision on single-precision values, and its result is
// rounded to single precision before the next line uses it, so the menu and
// the command line agree to every printed digit. The bridged Tee is the
// command line's alone and works wholly in double precision.
#pragma once

namespace padcalc {

// The three arms of a Tee, H, Pi or balanced Pi. In the Tee and H, R1 and R2
// are the series arms towards the inward and outward side and R3 the shunt
// arm; in the Pi they are the shunt arms and R3 the series arm. In a
// balanced network a split arm's value is that of one of its two halves.
struct FixedLossArms {
    float rone = 0;
    float rtwo = 0;
    float rthree = 0;
};

FixedLossArms tee_arms(float zone, float ztwo, float loss);
FixedLossArms h_arms(float zone, float ztwo, float loss);
FixedLossArms pi_arms(float zone, float ztwo, float loss);
FixedLossArms pi_bal_arms(float zone, float ztwo, float loss);

// A minimal loss pad: R1 the series arm on the inward side (one half of it
// when balanced), R3 the shunt arm across the outward side, and its loss in dB.
struct MinLossPad {
    float rone = 0;
    float rthree = 0;
    float loss = 0;
};

MinLossPad min_loss_pad(float zone, float ztwo, bool balanced);

// A bridged Tee between equal impedances Z: R1 = R2 = Z the series arms, R3
// the shunt arm and R4 the bridge across the series arms.
struct BridgedTeeArms {
    double rone = 0;
    double rtwo = 0;
    double rthree = 0;
    double rfour = 0;
};

BridgedTeeArms bridged_tee_arms(double z, double loss);

} // namespace padcalc
