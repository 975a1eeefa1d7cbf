// The design library: every network designed and then analysed, against
// known values from standard tables, and the command line's number reading.

#include "cli/quantity.h"
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

// 50 ohm attenuators, from the standard tables.
TEST(Design, KnownValues) {
    Design tee = design(network("tee"), 50, 50, 3);
    EXPECT_NEAR(tee.resistors[0], 8.550, 0.0005);
    EXPECT_NEAR(tee.resistors[1], 8.550, 0.0005);
    EXPECT_NEAR(tee.resistors[2], 141.9, 0.05);
    Design pi = design(network("pi"), 50, 50, 10);
    EXPECT_NEAR(pi.resistors[0], 96.25, 0.005);
    EXPECT_NEAR(pi.resistors[2], 71.15, 0.005);
    Design bridged = design(network("bridged-tee"), 50, 50, 10);
    EXPECT_EQ(bridged.resistors[0], 50);
    EXPECT_EQ(bridged.resistors[1], 50);
    EXPECT_NEAR(bridged.resistors[2], 23.12, 0.005);
    EXPECT_NEAR(bridged.resistors[3], 108.11, 0.005);
    Design pad = design(network("min-loss"), 600, 150, 0);
    EXPECT_NEAR(pad.loss, 11.439, 0.0005);
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

TEST(Quantity, ReadsNumbersAsEngineersWriteThem) {
    struct Case {
        const char* text;
        double ohms;
    } cases[] = {{"50", 50},      {"600.", 600}, {"1e3", 1000}, {"1k", 1000},
                 {"2.2M", 2.2e6}, {"100m", 0.1}, {"4k7", 4700}, {"2R2", 2.2},
                 {"50ohm", 50},   {"50Ω", 50},   {"-50", -50},  {"+75", 75},
                 {"1M5", 1.5e6},  {"470R", 470}, {".5", 0.5},   {"3u3", 3.3e-6}};
    for (const Case& c : cases) {
        ASSERT_TRUE(parse_ohms(c.text).has_value()) << c.text;
        EXPECT_DOUBLE_EQ(*parse_ohms(c.text), c.ohms) << c.text;
    }
    for (const char* bad :
         {"", "k", "50x", "inf", "nan", "0x10", "5e", "4k7k", "--5", "1,5", "50 ohm", "10dB"})
        EXPECT_FALSE(parse_ohms(bad).has_value()) << bad;
    EXPECT_EQ(parse_decibels("10dB"), 10.0);
    EXPECT_FALSE(parse_decibels("10k").has_value());
    EXPECT_DOUBLE_EQ(*parse_watts("250mW"), 0.25);
    EXPECT_DOUBLE_EQ(*parse_watts("30dBm"), 1.0);
    EXPECT_DOUBLE_EQ(*parse_watts("1W"), 1.0);
    EXPECT_FALSE(parse_watts("1X").has_value());
}

TEST(Quantity, SweepsKeepTheirLastStep) {
    std::optional<Losses> sweep = parse_losses("1:20:0.5");
    ASSERT_TRUE(sweep);
    EXPECT_EQ(sweep->count, 39);
    EXPECT_EQ(sweep->at(38), 20);
    // 0.1 is not exact in binary: ten steps of it must still reach 1.
    sweep = parse_losses("0:1:0.1");
    ASSERT_TRUE(sweep);
    EXPECT_EQ(sweep->count, 11);
    EXPECT_NEAR(sweep->at(10), 1.0, 1e-12);
    EXPECT_EQ(parse_losses("10")->count, 1);
    for (const char* bad : {"1:20", "20:1:1", "1:20:0", "1:20:-1", "1::1", "1:2:3:4", "0:1e9:1e-9"})
        EXPECT_FALSE(parse_losses(bad).has_value()) << bad;
}

} // namespace
} // namespace padcalc
