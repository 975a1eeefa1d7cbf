// Pads at radio frequencies: the nodal analysis against closed forms and
// against the resistive analysis, the band search where its limit is known,
// and the parasitics' values as engineers write them.

#include "design/band.h"
#include "design/choose.h"
#include "design/quantity.h"
#include "design/response.h"
#include "design/touchstone.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>

namespace padcalc {
namespace {

constexpr double pi = std::numbers::pi;

// One part: R in series with Ls, the two shunted by Cp.
Complex part(double r, const PartModel& m, double hz) {
    Complex w(0, 2 * pi * hz);
    return 1.0 / (1.0 / (r + w * m.ls) + w * m.cp);
}

// One part in series between two 50 ohm ports, its shunt arms 1e15 ohm with
// the same Cp across them: a series Z between two shunt Zs, worked by hand.
TEST(Nodal, OneResistorWithInductanceAndCapacitance) {
    struct Case {
        double r, ls, cp, hz;
    } cases[] = {{50, 1e-9, 0, 1e9},      {50, 0, 1e-12, 3e9},       {1e3, 0.4e-9, 0.05e-12, 2e9},
                 {0.1, 1e-9, 1e-12, 5e9}, {2.5e5, 0, 0.05e-12, 1e8}, {10, 1e-9, 1e-12, 5.03e9}};
    for (const Case& c : cases) {
        PartModel m{c.ls, c.cp, 0};
        Point p = Response(network("pi"), {1e15, 1e15, c.r}, {}, m, 50, 50).at(c.hz);
        Complex z = part(c.r, m, c.hz);
        Complex shunt = 1.0 / part(1e15, m, c.hz);
        Complex load = 1.0 / (1.0 / 50 + shunt);
        Complex z_in = 1.0 / (shunt + 1.0 / (z + load));
        Complex s21 = 2.0 * z_in / (50.0 + z_in) * load / (z + load);
        EXPECT_LT(std::abs(p.s.s21 - s21), 1e-12) << c.r << " " << c.hz;
        EXPECT_LT(std::abs(p.s.s11 - (z_in - 50.0) / (z_in + 50.0)), 1e-12) << c.r << " " << c.hz;
        EXPECT_LT(std::abs(p.s.s12 - p.s.s21), 1e-12);
    }
}

// A Tee of such parts between 50 and 75 ohms, with Cg at each end of each
// part, worked by hand: Cg once at each port and three times at the middle,
// the shunt arm's other end being on the common line.
TEST(Nodal, TeeByHandAtOneFrequency) {
    PartModel m{0.4e-9, 0.05e-12, 0.1e-12};
    double z1 = 50, z2 = 75, hz = 3e9;
    Design d = design(network("tee"), z1, z2, 10);
    Complex y_cg(0, 2 * pi * hz * m.cg);
    Complex za = part(d.resistors[0], m, hz), zb = part(d.resistors[1], m, hz);
    Complex zc = part(d.resistors[2], m, hz);
    Complex load = 1.0 / (y_cg + 1.0 / z2);
    Complex middle = 1.0 / (3.0 * y_cg + 1.0 / zc + 1.0 / (zb + load));
    Complex z_in = 1.0 / (y_cg + 1.0 / (za + middle));
    Complex v_in = z_in / (z1 + z_in); // from an EMF of 1 V
    Complex v_out = v_in * middle / (za + middle) * load / (zb + load);
    Point p = Response(d.network, d.resistors, {}, m, z1, z2).at(hz);
    EXPECT_LT(std::abs(p.s.s11 - (z_in - z1) / (z_in + z1)), 1e-12);
    EXPECT_LT(std::abs(p.s.s21 - 2.0 * v_out * std::sqrt(z1 / z2)), 1e-12);
    EXPECT_NEAR(p.loss, -20 * std::log10(std::abs(2.0 * v_out * std::sqrt(z1 / z2))), 1e-12);
}

// With Ls, Cp and Cg all zero the nodal analysis is the resistive one, for
// every network, far apart values and builds of pairs included.
TEST(Nodal, ZeroPartsGiveTheResistiveAnalysis) {
    for (const NetworkInfo& n : networks()) {
        for (auto [z1, z2] : {std::pair{50.0, 75.0}, {600.0, 150.0}, {1e-3, 1e6}, {0.5, 0.5}}) {
            if (n.equal_impedances)
                z2 = z1;
            if (n.min_loss && z1 < z2)
                std::swap(z1, z2);
            for (double above : {1e-4, 3.0, 80.0, 200.0}) {
                Design d = design(&n, z1, z2, least_loss(z1, z2) + above);
                if (!d.buildable)
                    continue;
                Analysis a = analyse(&n, d.resistors, z1, z2);
                Point p = Response(&n, d.resistors, {}, PartModel{}, z1, z2).at(1e9);
                SCOPED_TRACE(std::string(n.id) + " " + std::to_string(above));
                EXPECT_LT(std::abs(p.s.s11 - a.gamma_in), 1e-12);
                EXPECT_LT(std::abs(p.s.s22 - a.gamma_out), 1e-12);
                EXPECT_LT(std::abs(p.s.s21 / a.s21 - 1.0), 1e-12);
                EXPECT_LT(std::abs(p.s.s12 / a.s12 - 1.0), 1e-12);
            }
        }
        std::string why;
        Design d = design(&n, 50, n.min_loss ? 30 : 50, 7);
        auto builds = choose_builds(d, Series::e24, true, why);
        ASSERT_TRUE(builds) << why;
        Analysis a = analyse(&n, totals(builds->best), d.zone, d.ztwo);
        Point p =
            Response(&n, totals(builds->best), builds->best.resistors, PartModel{}, d.zone, d.ztwo)
                .at(1e9);
        EXPECT_LT(std::abs(p.s.s21 / a.s21 - 1.0), 1e-12) << n.id;
        EXPECT_LT(std::abs(p.s.s11 - a.gamma_in), 1e-12) << n.id;
    }
}

// A series inductance L between two 50 ohm ports: x = wL/100 gives
// |S11|^2 = x^2/(1 + x^2) and a loss of 10 log10(1 + x^2), so the input
// return loss reaches 20 dB at x^2 = 1/99 and the loss 0.1 dB at x^2 =
// 10^0.01 - 1. Only what is counted limits the band.
TEST(Band, SeriesInductanceHoldsWhereTheClosedFormSays) {
    Response r(network("pi"), {1e15, 1e15, 1e-9}, {}, PartModel{1e-9, 0, 0}, 50, 50);
    auto at_x2 = [](double x2) { return 100 * std::sqrt(x2) / (2 * pi * 1e-9); };
    struct Case {
        Limits limits;
        double hz;
        Limit limit;
    } cases[] = {{{0.1, 20}, at_x2(1.0 / 99), Limit::return_loss_in},
                 {{0.1, 0}, at_x2(std::pow(10, 0.01) - 1), Limit::loss},
                 {{3, 10}, at_x2(0.1 / 0.9), Limit::return_loss_in},
                 {{1, 0}, at_x2(std::pow(10, 0.1) - 1), Limit::loss}};
    for (const Case& c : cases) {
        Holds h = holds(r, c.limits, true);
        ASSERT_EQ(h.kind, Holds::Kind::to);
        EXPECT_LE(h.hz, c.hz);
        EXPECT_GT(h.hz, c.hz / 1.01);
        EXPECT_EQ(h.limit, c.limit);
    }
}

TEST(Band, NeverAndBeyond) {
    // A Tee of 27 ohm arms between 100 ohm ports: a return loss of 11 dB at DC.
    Response mismatched(network("tee"), {27, 27, 36}, {}, PartModel{0, 0.1e-12, 0}, 100, 100);
    Holds h = holds(mismatched, {}, true);
    EXPECT_EQ(h.kind, Holds::Kind::never);
    EXPECT_EQ(h.limit, Limit::return_loss_in);
    EXPECT_EQ(holds(mismatched, {0.1, 10}, true).kind, Holds::Kind::to);
    Design d = design(network("tee"), 50, 50, 10);
    Response zero(d.network, d.resistors, {}, PartModel{}, 50, 50);
    EXPECT_EQ(holds(zero, {}, true).kind, Holds::Kind::beyond);
    // The L-pad's outward side is not matched: counted, it never holds.
    Design l = design(network("l-pad"), 50, 50, 6);
    Response l_pad(l.network, l.resistors, {}, PartModel{0, 0.05e-12, 0}, 50, 50);
    EXPECT_EQ(holds(l_pad, {}, true).kind, Holds::Kind::never);
    EXPECT_EQ(holds(l_pad, {}, false).kind, Holds::Kind::to);
}

// The networks of the design's kind (minimal loss or not) that take its
// impedances: any of them between equal ones, else those that take two.
std::size_t comparable(const Design& d) {
    std::size_t count = 0;
    for (const NetworkInfo& n : networks())
        if (n.min_loss == d.network->min_loss && (!n.equal_impedances || d.zone == d.ztwo))
            ++count;
    return count;
}

TEST(Band, CompareListsEveryNetworkThatCanMakeTheEntriesBestFirst) {
    PartModel m{0.4e-9, 0.05e-12, 0.1e-12};
    Design pi = design(network("pi"), 50, 50, 20);
    std::vector<Compared> list = compare_networks(pi, m, {});
    ASSERT_EQ(list.size(), comparable(pi));
    for (std::size_t i = 1; i < list.size(); ++i)
        EXPECT_GE(list[i - 1].holds.hz, list[i].holds.hz);
    for (const Design& d :
         {design(network("tee"), 50, 75, 20), design(network("min-loss"), 600, 150, 0)})
        EXPECT_EQ(compare_networks(d, m, {}).size(), comparable(d)) << d.network->id;
}

TEST(Quantity, ReadsInductanceAndCapacitance) {
    EXPECT_EQ(*parse_henries("0.4nH"), 0.4e-9);
    EXPECT_EQ(*parse_henries("0.4n"), 0.4e-9);
    EXPECT_EQ(*parse_henries("1.5uH"), 1.5e-6);
    EXPECT_EQ(*parse_farads("50fF"), 50e-15);
    EXPECT_EQ(*parse_farads("0.05pF"), 0.05e-12);
    EXPECT_EQ(*parse_farads("1e-13"), 1e-13);
    EXPECT_EQ(*parse_farads("2mF"), 2e-3);
    EXPECT_EQ(*parse_farads("-1p"), -1e-12);
    for (const char* bad : {"", "p", "1pH", "1kF", "1e-3n", "0.4 nH", "1Fx"})
        EXPECT_FALSE(parse_farads(bad)) << bad;
    EXPECT_FALSE(parse_henries("1nF"));
}

// The Touchstone file written a block at a time is the file made whole; it
// stops before a line whose figures are not numbers, giving that frequency,
// and at the first block refused. A file once held -nan.
TEST(Touchstone, WrittenAsItIsWorkedOut) {
    Analysis a = analyse(find_network("tee"), {25.97, 25.97, 35.14}, 50, 50);
    std::vector<double> hz = log_frequencies(1e6, 1e9, 5000);
    std::string blocks;
    int writes = 0;
    auto keep = [&](std::string_view block) {
        blocks += block;
        ++writes;
        return true;
    };
    EXPECT_EQ(write_touchstone(a, 50, 50, hz, {"a pad"}, keep), std::nullopt);
    EXPECT_EQ(blocks, touchstone(a, 50, 50, hz, {"a pad"}));
    EXPECT_GT(writes, 2) << "in blocks";

    int refused = 0;
    EXPECT_EQ(
        write_touchstone(a, 50, 50, hz, {}, [&](std::string_view) { return ++refused, false; }),
        std::nullopt);
    EXPECT_EQ(refused, 1) << "it stops at the first block refused";

    Analysis unworked = a;
    unworked.s21 = std::nan("");
    blocks.clear();
    EXPECT_EQ(write_touchstone(unworked, 50, 50, hz, {}, keep), 1e6);
    EXPECT_EQ(blocks, "") << "nothing of a file that is not worked out";
}

} // namespace
} // namespace padcalc
