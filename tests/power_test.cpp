// Where the power goes: each part of a pair against a divider worked by
// hand, the idle arm of a balanced bridge, the worst phase of a VSWR against every phase, the
// derating, and the split of a cascade against its closed form.

#include "design/cascade.h"
#include "design/power.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <limits>
#include <numbers>

namespace padcalc {
namespace {

// A 50 ohm Tee with R1 = 50 || 50 and R2 = 10 + 15, fed inward with 1 W
// available from 50 ohm. With the load RL: the arms right of the junction
// are R2 + RL and R3 = 100 across them; the source's current divides there.
TEST(PowerFlow, EachPartOfAPairAgainstADividerWorkedByHand) {
    std::vector<Choice> parts = {{25, {50, 50}, Joined::parallel},
                                 {25, {10, 15}, Joined::series},
                                 {100, {100}, Joined::single}};
    Circuit tee = build_circuit(network("tee"), parts);
    ASSERT_EQ(tee.parts.size(), 5u);
    const double inf = std::numeric_limits<double>::infinity();
    for (auto [gamma, load] : {std::pair{0.0, 50.0}, {1.0, inf}, {-1.0, 0.0}}) {
        double emf = std::sqrt(4 * 1.0 * 50);
        double right = 25 + load;
        double shunt = 1 / (1 / 100.0 + 1 / right);
        double in = emf / (50 + 25 + shunt);
        double mid = in * shunt;
        double out = mid / right;
        struct Expected {
            const char* name;
            double watts, volts;
        } expected[] = {{"R1_1", in * in / 4 * 50, in / 2 * 50},
                        {"R1_2", in * in / 4 * 50, in / 2 * 50},
                        {"R2_1", out * out * 10, out * 10},
                        {"R2_2", out * out * 15, out * 15},
                        {"R3", mid * mid / 100, mid}};
        Circuit one[] = {tee};
        PowerFlow flow = power_flow(one, 50, 50, 1.0, Feed::inward, gamma).front();
        for (std::size_t p = 0; p < 5; ++p) {
            EXPECT_EQ(tee.parts[p].name, expected[p].name);
            EXPECT_NEAR(flow.parts[p], expected[p].watts, 1e-12) << expected[p].name << " " << load;
            EXPECT_NEAR(flow.volts[p], expected[p].volts, 1e-12) << expected[p].name << " " << load;
        }
        EXPECT_NEAR(flow.load, load == inf ? 0 : out * out * load, 1e-12) << load;
    }
}

// The ideal bridged Tee, matched, is a balanced bridge: its two series arms
// see the same voltage at each end of the other, so the arm on the far side
// from the feed carries nothing. Exactly nothing, not a residue of rounding.
TEST(PowerFlow, ABalancedBridgeLeavesItsFarArmIdle) {
    for (double loss : {1.0, 20.0, 120.0, 300.0}) {
        Design pad = design(network("bridged-tee"), 4700, 4700, loss);
        Circuit one[] = {build_circuit(network("bridged-tee"), pad.resistors)};
        PowerFlow in = power_flow(one, 4700, 4700, 1.0, Feed::inward, 0).front();
        PowerFlow out = power_flow(one, 4700, 4700, 1.0, Feed::outward, 0).front();
        EXPECT_EQ(in.parts[1], 0.0) << loss << " dB, R2 fed inward";
        EXPECT_EQ(out.parts[0], 0.0) << loss << " dB, R1 fed outward";
        EXPECT_NEAR(in.load, std::pow(10.0, -loss / 10), 1e-12 * std::pow(10.0, -loss / 10));
    }
}

// Each figure with a VSWR load is the largest of every phase, at the phase
// the flow gives for it, and within 0.1 % of what a scan in whole degrees finds.
TEST(PowerFlow, VswrTakesEachFiguresWorstPhase) {
    std::string why;
    Design tee = design(network("tee"), 50, 75, 10);
    Builds built = *choose_builds(tee, Series::e12, true, why);
    Design pi = design(network("pi-bal"), 50, 75, 6);
    Design bridged = design(network("bridged-tee"), 50, 50, 20);
    const Circuit circuits[] = {build_circuit(tee.network, built.best.resistors),
                                build_circuit(pi.network, pi.resistors),
                                build_circuit(bridged.network, bridged.resistors)};
    const double zones[][2] = {{50, 75}, {50, 75}, {50, 50}};
    for (std::size_t c = 0; c < 3; ++c)
        for (Feed feed : {Feed::inward, Feed::outward}) {
            std::span<const Circuit> one(&circuits[c], 1);
            double zone = zones[c][0], ztwo = zones[c][1];
            PowerFlow worst = load_flow(one, zone, ztwo, 1.0, feed, {Load::Kind::vswr, 3}).front();
            std::vector<double> scanned(worst.parts.size(), 0.0);
            for (int degrees = 0; degrees < 360; ++degrees) {
                auto gamma = std::polar(0.5, degrees * std::numbers::pi / 180);
                PowerFlow at = power_flow(one, zone, ztwo, 1.0, feed, gamma).front();
                for (std::size_t p = 0; p < scanned.size(); ++p) {
                    scanned[p] = std::max(scanned[p], at.parts[p]);
                    if (degrees == static_cast<int>(worst.phase[p])) {
                        EXPECT_NEAR(at.parts[p], worst.parts[p], 1e-12 * worst.parts[p]);
                    }
                }
            }
            for (std::size_t p = 0; p < scanned.size(); ++p) {
                EXPECT_LE(scanned[p], worst.parts[p] * (1 + 1e-12)) << circuits[c].parts[p].name;
                EXPECT_GE(scanned[p], worst.parts[p] * (1 - 1e-3)) << circuits[c].parts[p].name;
            }
        }
}

TEST(Power, DeratedLinearlyFromTheKneeToTheLimit) {
    const Derating d{70, 155};
    for (auto [ambient, rating] : {std::pair{-40.0, 0.25},
                                   {70.0, 0.25},
                                   {112.5, 0.125},
                                   {100.0, 0.25 * 55 / 85},
                                   {155.0, 0.0}})
        EXPECT_NEAR(derated_rating(0.25, ambient, d), rating, 1e-15) << ambient;
}

TEST(Cascade, DissipationSplitAgainstTheClosedForm) {
    // The closed form at its ends and between: the stages' losses add up to
    // the whole, and split by dissipation each takes (1 - 1/A)/N of the input.
    for (double loss : {0.001, 10.0, 40.0, 300.0})
        for (int n : {1, 3, 10})
            for (Split split : {Split::dissipation, Split::equal}) {
                std::vector<double> each = stage_losses(loss, n, split);
                double sum = 0;
                for (double l : each)
                    sum += l;
                EXPECT_NEAR(sum, loss, 1e-12 * loss) << loss << " " << n;
                if (split == Split::equal)
                    continue;
                double share = -std::expm1(-loss * std::numbers::ln10 / 10) / n;
                for (double fraction : dissipated_fractions(each))
                    EXPECT_NEAR(fraction, share, 1e-9 * share) << loss << " " << n;
            }
}

// Beyond about 3076 dB the power left at the end of a cascade is too small
// for a double to hold whole: the last stage still takes what the others
// leave, a finite loss, where it once took an infinite one (and a cascade of
// 1e5 dB was refused as if its loss were not a finite number).
TEST(Cascade, DissipationSplitPastTheSmallestDouble) {
    for (double loss : {3076.0, 3090.0, 3300.0, 6000.0, 1e5, 1e300})
        for (int n : {1, 2, 10}) {
            std::vector<double> each = stage_losses(loss, n, Split::dissipation);
            double before = 0;
            for (int k = 0; k + 1 < n; ++k) {
                // Each stage but the last leaves 1 - (k + 1)/N of the input, to within 1e-12.
                before += each[static_cast<std::size_t>(k)];
                EXPECT_NEAR(before, -10 * std::log10(1 - (k + 1.0) / n), 1e-12) << loss << " " << n;
            }
            double last = each.back();
            ASSERT_TRUE(std::isfinite(last)) << loss << " " << n;
            EXPECT_NEAR(before + last, loss, 1e-12 * loss) << loss << " " << n;
        }
    // An infinite loss stays infinite, in the last stage.
    EXPECT_EQ(stage_losses(HUGE_VAL, 2, Split::dissipation).back(), HUGE_VAL);
}

// Each stage is fed with what reaches it: the power its parts take is its
// share, what it passes on is what is left, and the whole chain has the loss.
TEST(Cascade, StagesFedWithWhatReachesThem) {
    std::vector<Circuit> stages;
    for (double loss : stage_losses(10, 4, Split::dissipation))
        stages.push_back(build_circuit(network("h"), design(network("h"), 50, 50, loss).resistors));
    EXPECT_NEAR(analyse(cascade_chain(stages), 50, 50).loss, 10, 1e-12);
    std::vector<PowerFlow> flows = power_flow(stages, 50, 50, 1.0, Feed::inward, 0.0);
    for (std::size_t k = 0; k < 4; ++k) {
        double taken = 0;
        for (double w : flows[k].parts)
            taken += w;
        EXPECT_NEAR(taken, 0.225, 1e-12) << k;
        EXPECT_NEAR(flows[k].load, 1 - 0.225 * static_cast<double>(k + 1), 1e-12) << k;
    }
}

} // namespace
} // namespace padcalc
