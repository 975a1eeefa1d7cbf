// The menu's own steps: the resistors for given impedances and loss, as the
// screens work them out. Every line of a formula works in double precision on
// single-precision values, and its result is rounded to single precision
// before the next line uses it.
//
// Between equal impedances at a very low loss these steps cancel, and above
// about 385 dB the power ratio overflows; `checked` puts the design
// library's exact value in the place of any step that strays from it.
#pragma once

#include <string_view>
#include <vector>

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

// The screen's value, or the exact value of the network's resistor
// `resistor` (stored in single precision) where the screen's steps are more
// than 1e-4 relative from it. Where the exact value is not a finite,
// non-zero number (a loss of 0, entries that make no network) the screen's
// value stands.
float checked(float steps, double exact);

// The exact resistors of the network with this command-line name.
std::vector<double> exact_resistors(std::string_view id, float zone, float ztwo, float loss);

} // namespace padcalc
