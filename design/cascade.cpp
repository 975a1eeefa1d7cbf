#include "cascade.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace padcalc {
namespace {

constexpr double db_to_nepers = std::numbers::ln10 / 10; // of power

std::vector<Design> stage_designs(Network network, double z, double loss, int stages, Split split) {
    std::vector<Design> designs;
    for (double stage_loss : stage_losses(loss, stages, split))
        designs.push_back(design(network, z, z, stage_loss));
    return designs;
}

using BuildOf = std::optional<BuildResult> Result::*;

// Every stage's circuit: its design's, or with `build` that build's; none
// when a stage has no build.
std::optional<std::vector<Circuit>> circuits_of(const CascadeResult& c, BuildOf build) {
    std::vector<Circuit> circuits;
    for (const Result& r : c.stages) {
        if (!build)
            circuits.push_back(design_circuit(r));
        else if (r.*build)
            circuits.push_back(build_circuit(r, *(r.*build)));
        else
            return std::nullopt;
    }
    return circuits;
}

// The power in each stage's parts inside the cascade: of the designs, and
// of the cascades of the nearest and of the best builds.
void add_power(CascadeResult& c, const Settings& s) {
    std::vector<Power> ideal = power_of(*circuits_of(c, nullptr), c.z, c.z, s, false);
    for (std::size_t k = 0; k < ideal.size(); ++k)
        c.stages[k].power = std::move(ideal[k]);
    for (BuildOf which : {&Result::nearest, &Result::best}) {
        std::optional<std::vector<Circuit>> circuits = circuits_of(c, which);
        if (!circuits)
            continue;
        std::vector<Power> built = power_of(*circuits, c.z, c.z, s, false);
        for (std::size_t k = 0; k < built.size(); ++k)
            (c.stages[k].*which)->power = std::move(built[k]);
    }
}

std::string of_stage(std::size_t k) { return " of stage " + std::to_string(k + 1); }

} // namespace

bool can_cascade(Network network) { return network->outward_matched && !network->min_loss; }

std::vector<double> stage_losses(double loss, int stages, Split split) {
    auto n = static_cast<double>(stages);
    std::vector<double> losses;
    if (split == Split::equal) {
        losses.assign(static_cast<std::size_t>(stages), loss / n);
        return losses;
    }
    // 1 - 1/A, and the power left after stage k as 1/A + (N - k)(1 - 1/A)/N:
    // sums of positive terms, right at a thousandth of a dB and at 300 dB.
    double lost = -std::expm1(-loss * db_to_nepers);
    double left_at_end = std::exp(-loss * db_to_nepers);
    for (int k = 1; k <= stages; ++k) {
        double left = left_at_end + (n - k) * lost / n;
        losses.push_back(std::log1p(lost / (n * left)) / db_to_nepers);
    }
    return losses;
}

std::vector<double> dissipated_fractions(const std::vector<double>& losses) {
    std::vector<double> fractions;
    double before = 0; // dB lost before the stage
    for (double loss : losses) {
        fractions.push_back(std::exp(-before * db_to_nepers) * -std::expm1(-loss * db_to_nepers));
        before += loss;
    }
    return fractions;
}

Chain cascade_chain(std::span<const Circuit> stages) {
    Chain whole = chain(stages.front());
    for (std::size_t k = 1; k < stages.size(); ++k)
        whole = then(whole, chain(stages[k]));
    return whole;
}

bool CascadeResult::buildable() const {
    return std::all_of(stages.begin(), stages.end(),
                       [](const Result& r) { return r.design.buildable; });
}

bool CascadeResult::analysable() const {
    return std::all_of(stages.begin(), stages.end(),
                       [](const Result& r) { return makes_a_network(r.design); });
}

CascadeResult evaluate_cascade(Network network, double z, double loss, int stages,
                               const Settings& s, std::vector<std::string>& problems) {
    CascadeResult c{network, z, loss, s.split, {}, {}, std::nullopt, std::nullopt};
    std::vector<double> losses;
    for (const Design& d : stage_designs(network, z, loss, stages, s.split)) {
        std::vector<std::string> own;
        c.stages.push_back(evaluate_unpowered(d, s, own));
        for (const std::string& problem : own)
            problems.push_back("stage " + std::to_string(c.stages.size()) + ": " + problem);
        losses.push_back(d.loss);
    }
    c.dissipated = dissipated_fractions(losses);
    if (!c.buildable())
        return c;
    if (s.power)
        add_power(c, s);
    for (std::size_t k = 0; k < c.stages.size(); ++k)
        check_ratings(c.stages[k], of_stage(k), problems);
    if (std::optional<std::vector<Circuit>> best = circuits_of(c, &Result::best))
        c.built = analyse(cascade_chain(*best), z, z);
    if (s.part_model && c.analysable()) {
        std::vector<Response> ideal;
        for (const Result& r : c.stages)
            ideal.emplace_back(network, r.design.resistors, std::vector<Choice>{}, s.part_model, z,
                               z);
        Response whole(std::move(ideal));
        c.holds = holds(whole, s.limits, true);
    }
    return c;
}

std::optional<int> fewest_stages(Network network, double z, double loss, const Settings& s,
                                 std::string& why) {
    Settings ideal = s; // the builds do not count
    ideal.series.reset();
    std::vector<std::string> problems;
    for (int n = 1; n <= max_stages; ++n) {
        problems.clear();
        CascadeResult c = evaluate_cascade(network, z, loss, n, ideal, problems);
        if (!c.buildable()) {
            why = "cannot be built: " + why_unbuildable(c.stages.front().design);
            return std::nullopt;
        }
        if (problems.empty())
            return n;
    }
    why = "no cascade of " + std::to_string(max_stages) +
          " stages or fewer keeps every part within its ratings fed inward; with " +
          std::to_string(max_stages) + ", " + problems.front();
    return std::nullopt;
}

std::vector<Circuit> exported_circuits(const CascadeResult& c, const Settings& s) {
    std::vector<Circuit> circuits;
    for (const Result& r : c.stages)
        circuits.push_back(exported_circuit(r, s));
    return circuits;
}

Response exported_response(const CascadeResult& c, const Settings& s) {
    std::vector<Response> stages;
    for (const Result& r : c.stages)
        stages.push_back(exported_response(r, s));
    return Response(std::move(stages));
}

} // namespace padcalc
