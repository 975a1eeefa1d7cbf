// The design library: every network designed and then analysed, against
// known values from standard tables.

#include "design/circuit.h"
#include "design/network.h"

#include <gtest/gtest.h>

#include <cmath>

namespace padcalc {
namespace {

// The impedances a network is designed between: a bridged Tee has one, and
// a minimal loss pad needs the larger on the inward side.
std::pair<double, double> sides(Network n, double a, double b) {
    if (n->equal_impedances)
        return {a, a};
    if (n->min_loss)
        return {std::max(a, b) * 1.5, std::min(a, b)};
    return {a, b};
}

TEST(Design, AnalysisGivesBackTheImpedancesAndLossOfEveryDesign) {
    const double impedances[] = {0.5, 10, 50, 75, 150, 600, 2200, 1e5};
    const double margins[] = {0.5, 1, 3, 10, 40, 90};
    for (const NetworkInfo& entry : networks()) {
        Network n = &entry;
        for (double za : impedances) {
            for (double zb : impedances) {
                auto [zone, ztwo] = sides(n, za, zb);
                for (double margin : margins) {
                    double loss = least_loss(zone, ztwo) + margin;
                    Design d = design(n, zone, ztwo, loss);
                    std::string what = std::string(n->id) + " " + std::to_string(zone) + " " +
                                       std::to_string(ztwo) + " " + std::to_string(loss);
                    ASSERT_TRUE(d.buildable) << what << ": " << why_unbuildable(d);
                    Analysis a = analyse(n, d.resistors, zone, ztwo);
                    EXPECT_NEAR(a.z_in / zone, 1.0, 1e-5) << what;
                    if (n->outward_matched) {
                        EXPECT_NEAR(a.z_out / ztwo, 1.0, 1e-5) << what;
                    }
                    EXPECT_NEAR(a.loss, n->min_loss ? d.loss : loss, 1e-4) << what;
                    EXPECT_NEAR(a.s12, a.s21, 1e-12) << what;
                }
            }
        }
    }
}

TEST(Design, NoNetworkIsBuiltAtOrBelowTheLeastLoss) {
    for (const NetworkInfo& entry : networks()) {
        Network n = &entry;
        for (auto [za, zb] : {std::pair{50.0, 75.0}, {600.0, 150.0}, {50.0, 50.0}}) {
            auto [zone, ztwo] = sides(n, za, zb);
            double least = least_loss(zone, ztwo);
            for (double loss : {least, least - 0.01, least - 3, -10.0}) {
                Design d = design(n, n->min_loss ? ztwo : zone, n->min_loss ? zone : ztwo, loss);
                EXPECT_FALSE(d.buildable) << n->id << " " << loss;
                EXPECT_FALSE(why_unbuildable(d).empty()) << n->id;
            }
        }
    }
    Design d = design(network("tee"), 50, 75, 3);
    EXPECT_EQ(why_unbuildable(d), "the loss must be greater than 5.719 dB for these impedances");
    for (double bad : {0.0, -50.0, HUGE_VAL, std::nan("")})
        EXPECT_FALSE(design(network("pi"), bad, 50, 10).buildable) << bad;
}

// A balanced network is two lines: halving a split arm's value and putting
// a half in each line must give the unbalanced network's figures.
TEST(Design, BalancedNetworksAreAnalysedAsTwoLines) {
    Design tee = design(network("tee"), 50, 75, 10);
    Design h = design(network("h"), 50, 75, 10);
    EXPECT_NEAR(analyse(network("h"), h.resistors, 50, 75).loss,
                analyse(network("tee"), tee.resistors, 50, 75).loss, 1e-5);
    Circuit c = build_circuit(network("h"), h.resistors);
    ASSERT_EQ(c.parts.size(), 5u);
    EXPECT_EQ(c.parts[0].name, "R1A");
    EXPECT_EQ(c.parts[1].name, "R1B");
}

} // namespace
} // namespace padcalc
