// A pad's response over frequency: at each frequency its S-parameters, its
// loss, the return loss at each port and the phase of S21. With a part
// model it comes from the nodal analysis of the physical circuit; without
// one it is the resistive analysis, the same at every frequency.
#pragma once

#include "nodal.h"
#include "part_model.h"
#include "preferred.h"

#include <cmath>
#include <optional>
#include <vector>

namespace padcalc {

struct Point {
    double hz = 0;
    SParameters s;
    double loss = 0;           // transducer loss, dB
    double return_loss_in = 0; // dB; infinite for a perfect match
    double return_loss_out = 0;
    double s21_deg = 0; // S21's phase in degrees
};

class Response {
  public:
    // The network built from these resistors, each as the choice of the
    // same index when `choices` is not empty (a pair is two parts).
    Response(Network network, const std::vector<double>& resistors,
             const std::vector<Choice>& choices, const std::optional<PartModel>& model, double zone,
             double ztwo);
    // Pads in cascade between one impedance, in order from the inward port:
    // at each frequency their S-parameters joined as one two-port.
    explicit Response(std::vector<Response> stages);
    Point at(double hz);
    // The S-parameters alone, without the logarithms: what a search needs.
    SParameters s(double hz);
    // A frequency up to which every part's reactances are under 1e-3 of
    // what would matter, so that the response there is its value at DC to
    // that order; infinite without a part model or with a model of zeros.
    double quiet_hz() const { return quiet_hz_; }

  private:
    std::optional<NodalTwoPort> nodal_;
    std::vector<Response> stages_;
    Point flat_;
    double quiet_hz_ = HUGE_VAL;
};

} // namespace padcalc
