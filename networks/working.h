// The working values that every calculation screen shares, and the texts the
// screens have in common.
//
// The entries and results are stored in single precision, as the formulas
// (steps.h) take and give them.
#pragma once

#include <string_view>

namespace padcalc {

struct WorkingValues {
    float zone = 0; // inward impedance Z1, ohms
    float ztwo = 0; // outward impedance Z2, ohms
    float loss = 0; // loss in dB: entered, or for a minimal loss pad computed
    float rone = 0; // resistors R1 to R3, ohms
    float rtwo = 0;
    float rthree = 0;

    // Every screen starts from zero.
    void reset() { *this = WorkingValues{}; }
};

inline constexpr std::string_view inward_prompt = "Please enter a value for the inward impedance: ";
inline constexpr std::string_view outward_prompt =
    "Please enter a value for the outward impedance: ";
inline constexpr std::string_view loss_prompt = "Please enter a value for the loss: ";
inline constexpr std::string_view r1_line = "\nThe value for resistor 'R1' is = %9.3f ohms";
inline constexpr std::string_view r2_line = "\nThe value for resistor 'R2' is = %9.3f ohms";
inline constexpr std::string_view r3_line = "\nThe value for resistor 'R3' is = %9.3f ohms";
inline constexpr std::string_view closing_line = "\n\nPress ENTER to return to the main menu";

} // namespace padcalc
