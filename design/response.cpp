#include "response.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace padcalc {
namespace {

// -20 log10 |s|, from |s| squared: as exact, and without a hypot.
// Of a total reflection or transmission, 0 dB, not -0 (the sum makes -0 into 0).
double decibels(Complex s) { return -10.0 * std::log10(std::norm(s)) + 0.0; }

// The longest time constant of a part's reactances with the resistances
// about it: its own, and the ports'.
double longest_time(const Circuit& c, const PartModel& m, double zone, double ztwo) {
    double longest = 0;
    double ports = std::max(zone, ztwo);
    for (const Part& p : c.parts)
        longest = std::max({longest, m.ls / p.ohms, (m.cp + 2 * m.cg) * std::max(p.ohms, ports)});
    return longest;
}

// Two two-ports in cascade, both referred to the one impedance: the second
// loads the first with its S11, and what it reflects goes round between
// them, 1 / (1 - S22 S11') in all.
SParameters joined(const SParameters& a, const SParameters& b) {
    Complex round = 1.0 / (1.0 - a.s22 * b.s11);
    return {a.s11 + a.s12 * a.s21 * b.s11 * round, a.s21 * b.s21 * round, a.s12 * b.s12 * round,
            b.s22 + b.s21 * b.s12 * a.s22 * round};
}

} // namespace

Response::Response(std::vector<Response> stages) : stages_(std::move(stages)) {
    for (const Response& stage : stages_)
        quiet_hz_ = std::min(quiet_hz_, stage.quiet_hz_);
    flat_ = at(0);
}

Response::Response(Network network, const std::vector<double>& resistors,
                   const std::vector<Choice>& choices, const std::optional<PartModel>& model,
                   double zone, double ztwo) {
    if (!model) {
        Analysis a = analyse(network, resistors, zone, ztwo);
        flat_.s = {a.gamma_in, a.s21, a.s12, a.gamma_out};
        flat_.loss = a.loss;
        flat_.return_loss_in = a.return_loss_in;
        flat_.return_loss_out = a.return_loss_out;
        flat_.s21_deg = std::arg(Complex(a.s21)) * 180.0 / std::numbers::pi;
        return;
    }
    // A build's pairs as their two parts each, where the model acts on each part.
    Circuit c =
        choices.empty() ? build_circuit(network, resistors) : build_circuit(network, choices);
    nodal_.emplace(c, *model, zone, ztwo);
    double longest = longest_time(c, *model, zone, ztwo);
    if (longest > 0)
        quiet_hz_ = 1e-3 / (2.0 * std::numbers::pi * longest);
}

SParameters Response::s(double hz) {
    if (!stages_.empty()) {
        SParameters whole = stages_.front().s(hz);
        for (std::size_t k = 1; k < stages_.size(); ++k)
            whole = joined(whole, stages_[k].s(hz));
        return whole;
    }
    return nodal_ ? nodal_->at(hz) : flat_.s;
}

Point Response::at(double hz) {
    Point p = flat_;
    p.hz = hz;
    if (!nodal_ && stages_.empty())
        return p;
    p.s = s(hz);
    p.loss = decibels(p.s.s21);
    p.return_loss_in = decibels(p.s.s11);
    p.return_loss_out = decibels(p.s.s22);
    p.s21_deg = std::arg(p.s.s21) * 180.0 / std::numbers::pi;
    return p;
}

} // namespace padcalc
