#include "cascade.h"

#include "figures.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
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

// Whether every stage of a cascade of this loss can be built.
bool every_stage_builds(Network network, double z, double loss, int stages, Split split) {
    std::vector<Design> designs = stage_designs(network, z, loss, stages, split);
    return std::all_of(designs.begin(), designs.end(), [](const Design& d) { return d.buildable; });
}

// The largest loss that a cascade of these stages can take, when `loss` is
// beyond it: where the stage that takes the most passes what its network's
// formula can give (a Pi's series arm beyond the largest double). None when
// no smaller loss down to 0.001 dB can be built either.
std::optional<double> most_loss(Network network, double z, double loss, int stages, Split split) {
    double low = loss / 2;
    while (low >= 0.001 && !every_stage_builds(network, z, low, stages, split))
        low /= 2;
    if (low < 0.001)
        return std::nullopt;
    // Between the two, by halving the doubles themselves, which are ordered
    // as their bits: the last loss that builds, to the last bit.
    // (std::bit_cast in the page's older standard library is missing.)
    auto bits = [](double x) {
        std::uint64_t b = 0;
        std::memcpy(&b, &x, sizeof b);
        return b;
    };
    auto loss_of = [](std::uint64_t b) {
        double x = 0;
        std::memcpy(&x, &b, sizeof x);
        return x;
    };
    std::uint64_t builds = bits(low);
    std::uint64_t fails = bits(loss);
    while (fails - builds > 1) {
        std::uint64_t middle = builds + (fails - builds) / 2;
        if (every_stage_builds(network, z, loss_of(middle), stages, split))
            builds = middle;
        else
            fails = middle;
    }
    return loss_of(builds);
}

// Whether the cascade's entries could make stages: an impedance and a loss
// that are positive, finite numbers. When they are not, no stage is at
// fault, nor would any number of stages help.
bool entries_fit(const CascadeResult& c) {
    return c.z > 0 && std::isfinite(c.z) && c.loss > 0 && std::isfinite(c.loss);
}

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
    // Beyond about 3076 dB the power left at the end is too small for a
    // double to hold whole, and the last stage's share of it overflows: that
    // stage has the whole loss less what the stages before it took, so that
    // a cascade goes as far as its network does.
    if (left_at_end < std::numeric_limits<double>::min())
        losses.back() = loss + 10 * std::log10(left_at_end + lost / n);
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
                               const Settings& s, std::vector<Problem>& problems) {
    CascadeResult c{network, z, loss, s.split, {}, {}, std::nullopt, std::nullopt};
    std::vector<double> losses;
    for (const Design& d : stage_designs(network, z, loss, stages, s.split)) {
        std::vector<Problem> own;
        c.stages.push_back(evaluate_unpowered(d, s, own));
        for (const Problem& problem : own)
            problems.push_back(problem.after("stage " + std::to_string(c.stages.size()) + ": "));
        losses.push_back(d.loss);
    }
    c.dissipated = dissipated_fractions(losses);
    if (!c.buildable())
        return c;
    if (s.power) {
        add_power(c, s);
        // As for one pad: figures that are not numbers are not given.
        if (!std::all_of(c.stages.begin(), c.stages.end(), power_worked_out)) {
            problems.push_back(power_too_large(*s.power));
            for (Result& r : c.stages)
                drop_power(r);
        }
    }
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
    std::vector<Problem> problems;
    for (int n = 1; n <= max_stages; ++n) {
        problems.clear();
        CascadeResult c = evaluate_cascade(network, z, loss, n, ideal, problems);
        if (!c.buildable()) {
            why = "cannot be built: " + why_unbuildable(c);
            if (!entries_fit(c))
                return std::nullopt;
            continue; // more stages share the loss otherwise
        }
        if (!c.stages.front().power) { // no ratings can be checked against it
            why = power_too_large(*s.power).text;
            return std::nullopt;
        }
        if (problems.empty())
            return n;
        why = "no cascade of " + std::to_string(max_stages) +
              " stages or fewer keeps every part within its ratings fed inward; with " +
              std::to_string(n) + ", " + problems.front().text;
    }
    return std::nullopt;
}

std::string why_unbuildable(const CascadeResult& c) {
    auto stage = std::find_if(c.stages.begin(), c.stages.end(),
                              [](const Result& r) { return !r.design.buildable; });
    if (stage == c.stages.end())
        return {};
    const Design& d = stage->design;
    if (!entries_fit(c))
        return why_unbuildable(d);
    auto n = static_cast<int>(c.stages.size());
    if (std::optional<double> most = most_loss(c.network, c.z, c.loss, n, c.split)) {
        char text[160];
        std::snprintf(text, sizeof text,
                      "the loss must be at most %.3f dB for a cascade of %d stages at this "
                      "impedance",
                      std::floor(*most * 1000) / 1000, n);
        return text;
    }
    return "stage " + std::to_string(stage - c.stages.begin() + 1) + " of " + std::to_string(n) +
           ", with a loss of " + fixed_point(d.loss, 3) + " dB: " + why_unbuildable(d);
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
