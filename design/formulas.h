// Each network's design formulas: its resistors, in the order the network
// names them, for the impedances on each side and the loss in dB.
//
// All in double precision, in forms that do not cancel: the loss enters as
// x = loss·ln(10)/20 nepers, through expm1 and hyperbolic functions rather
// than as a power ratio less one, and the series arms of a Tee (the shunt
// arms of a Pi) come from a product that is small exactly where the arm is.
// Each resistor is within a few units in the last place of its exact value.
// In a balanced network a split arm's value is that of one of its halves.
#pragma once

#include <vector>

namespace padcalc {

std::vector<double> tee_formula(double zone, double ztwo, double loss);
std::vector<double> h_formula(double zone, double ztwo, double loss);
std::vector<double> pi_formula(double zone, double ztwo, double loss);
std::vector<double> pi_bal_formula(double zone, double ztwo, double loss);
std::vector<double> min_loss_formula(double zone, double ztwo, double loss);
std::vector<double> min_loss_bal_formula(double zone, double ztwo, double loss);
std::vector<double> bridged_tee_formula(double zone, double ztwo, double loss);
std::vector<double> l_pad_formula(double zone, double ztwo, double loss);
std::vector<double> u_pad_formula(double zone, double ztwo, double loss);

// The least loss between two impedances, in nepers: acosh(sqrt(r)), r the
// larger over the smaller, taken as asinh(sqrt(r - 1)) so that it is exact
// as r comes near 1.
double least_loss_nepers(double zone, double ztwo);

} // namespace padcalc
