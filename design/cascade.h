// Pads of one network in cascade between one impedance, sharing a loss so
// that no stage has to dissipate too much: where one pad must become several.
#pragma once

#include "evaluate.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace padcalc {

// Whether pads of this network can be cascaded: matched at both ports
// between one impedance, with a loss asked for.
bool can_cascade(Network network);

inline constexpr int max_stages = 10;

// Each stage's loss in dB, from the inward port, sharing `loss` among
// `stages`. Split by dissipation, each matched stage dissipates the same
// power fed inward: the power left after stage k is 1 - k (1 - 1/A) / N of
// the input, A = 10^(loss/10). Split equally, each has the same loss.
std::vector<double> stage_losses(double loss, int stages, Split split);

// The fraction of the power fed inward that each matched stage of these
// losses dissipates.
std::vector<double> dissipated_fractions(const std::vector<double>& losses);

// The chain of pads in cascade, in order from the inward port.
Chain cascade_chain(std::span<const Circuit> stages);

struct CascadeResult {
    Network network = nullptr;
    double z = 0;
    double loss = 0; // the total, in dB
    Split split = Split::dissipation;
    // Each stage worked out as a design; its power figures are those inside
    // the cascade, each stage fed with what reaches it.
    std::vector<Result> stages;
    std::vector<double> dissipated; // each stage's fraction of the power fed inward
    std::optional<Analysis> built;  // the cascade of each stage's best build
    // With a part model: how far up the whole cascade of ideal designs holds.
    std::optional<Holds> holds;
    bool buildable() const;
    // Every stage buildable, with values the analysis over frequency takes
    // (from 1e-9 to 1e15 ohm): else the whole cascade's response is not
    // worked out, as a stage's own is not.
    bool analysable() const;
};

// Works out what `s` asks for the cascade. Problems that are not a design's
// own are added to `problems`, each naming its stage. The ratings are
// checked fed inward, the way the split is meant.
CascadeResult evaluate_cascade(Network network, double z, double loss, int stages,
                               const Settings& s, std::vector<Problem>& problems);

// Why the cascade cannot be built, or an empty text if it can: its entries'
// fault, or the first stage that cannot be built, with its share of the loss.
std::string why_unbuildable(const CascadeResult& c);

// The fewest stages, up to max_stages, for which no part of the ideal
// design is over its ratings when the cascade is fed inward with the power
// and loads of `s`; none, with `why`, when no such cascade is there, or it
// cannot be built, or its power cannot be worked out.
std::optional<int> fewest_stages(Network network, double z, double loss, const Settings& s,
                                 std::string& why);

// The circuits that the exports take, stage by stage (exported_circuit).
std::vector<Circuit> exported_circuits(const CascadeResult& c, const Settings& s);
// The whole cascade's response with the parts' model, of the values the
// exports take: each stage's own response, joined in order.
Response exported_response(const CascadeResult& c, const Settings& s);

} // namespace padcalc
