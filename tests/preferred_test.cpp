// Preferred values, the builds chosen from them, what tolerance does to a
// build, and where the power goes.

#include "design/choose.h"
#include "design/power_flow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace padcalc {
namespace {

bool has(const std::vector<double>& values, double v) {
    return std::find(values.begin(), values.end(), v) != values.end();
}

TEST(PreferredTables, DecadeCountsRangeAndKnownValues) {
    const std::size_t per_decade[] = {3, 6, 12, 24, 48, 96, 192};
    for (Series s : all_series) {
        std::size_t n = per_decade[static_cast<int>(s)];
        const std::vector<double>& all = preferred_values(s);
        EXPECT_EQ(decade_values(s).size(), n) << series_name(s);
        EXPECT_EQ(all.size(), 8 * n + 1) << series_name(s); // 0.1 ohm .. 1 Mohm decades, 10 Mohm
        EXPECT_EQ(all.front(), 0.1);
        EXPECT_EQ(all.back(), 1e7);
        EXPECT_TRUE(std::is_sorted(all.begin(), all.end()));
        EXPECT_EQ(find_series(series_name(s)), s);
    }
    EXPECT_EQ(find_series("e24"), Series::e24);
    EXPECT_FALSE(find_series("E7") || find_series("24") || find_series(""));
    std::vector<double> e24 = decade_values(Series::e24);
    for (double v : {2.7, 3.0, 3.3, 3.6, 3.9, 4.3, 4.7, 5.1, 5.6, 6.2, 6.8, 7.5, 8.2, 9.1})
        EXPECT_TRUE(has(e24, v)) << v;
    EXPECT_TRUE(has(decade_values(Series::e96), 1.02) && has(decade_values(Series::e96), 9.76));
    EXPECT_FALSE(has(decade_values(Series::e96), 1.01));
    EXPECT_TRUE(has(decade_values(Series::e192), 1.01) && has(decade_values(Series::e192), 9.2));
    EXPECT_TRUE(has(preferred_values(Series::e24), 4.3e6) &&
                has(preferred_values(Series::e96), 0.976));
}

TEST(PreferredTables, NearestIsByRatio) {
    const std::vector<double>& e24 = preferred_values(Series::e24);
    EXPECT_EQ(nearest_value(e24, 4.497), 4.7); // above sqrt(4.3 x 4.7), below (4.3 + 4.7) / 2
    EXPECT_EQ(nearest_value(e24, 4.495), 4.3);
    // At the exact geometric midpoint of 2.0 and 2.2 (their product and its
    // square root's square are the same double), the upper one.
    EXPECT_EQ(nearest_value(e24, std::sqrt(2.0 * 2.2)), 2.2);
    EXPECT_EQ(nearest_value(e24, 0.05), 0.1);
    EXPECT_EQ(nearest_value(e24, 2e7), 1e7);
}

// The values of the series and, with pairs, every pair's total, straight from
// the decade table; of them, the 3 nearest distinct ones on each side of the
// ideal value, and the ideal value itself if it is one.
std::vector<double> plain_candidates(Series s, double ideal, bool pairs) {
    std::vector<double> values;
    for (int decade = -1; decade <= 6; ++decade)
        for (double v : decade_values(s))
            values.push_back(v * std::pow(10.0, decade));
    values.push_back(1e7);
    std::vector<std::vector<double>> sets = {values};
    if (pairs) {
        sets.emplace_back();
        for (double a : values)
            for (double b : values)
                sets.back().insert(sets.back().end(), {a + b, a * b / (a + b)});
    }
    std::vector<double> nearest;
    for (std::vector<double>& set : sets) {
        std::sort(set.begin(), set.end());
        set.erase(std::unique(set.begin(), set.end()), set.end());
        auto at = std::lower_bound(set.begin(), set.end(), ideal);
        auto past = std::upper_bound(set.begin(), set.end(), ideal);
        nearest.insert(nearest.end(), at - std::min<long>(3, at - set.begin()),
                       past + std::min<long>(3, set.end() - past));
    }
    return nearest;
}

TEST(PreferredCandidates, HoldTheNearestSinglesAndPairs) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> exponent(-1.0, 7.0);
    for (int i = 0; i < 40; ++i) {
        // The ends of the range, and an ideal value that is itself a pair's
        // total, which must keep the three totals above it as well.
        const double fixed[] = {0.1, 1e7, 2.2 + 2.2};
        double ideal = i < 3 ? fixed[i] : std::pow(10.0, exponent(random));
        Series s = i % 2 || i == 2 ? Series::e24 : Series::e3;
        std::vector<Choice> found = candidates(preferred_values(s), ideal, true);
        for (const Choice& c : found) {
            double joined = c.parts.size() == 1 ? c.parts[0]
                            : c.joined == Joined::series
                                ? c.parts[0] + c.parts[1]
                                : c.parts[0] * c.parts[1] / (c.parts[0] + c.parts[1]);
            EXPECT_NEAR(c.ohms, joined, 1e-12 * joined);
            for (double p : c.parts)
                EXPECT_TRUE(
                    std::binary_search(preferred_values(s).begin(), preferred_values(s).end(), p));
        }
        for (double want : plain_candidates(s, ideal, true))
            EXPECT_TRUE(std::any_of(
                found.begin(), found.end(),
                [want](const Choice& c) { return std::fabs(c.ohms - want) <= 1e-12 * want; }))
                << series_name(s) << " " << ideal << " lacks " << want;
    }
}

TEST(PreferredCandidates, MakeEachTotalThePlainestWay) {
    // 4.4 is 2.2 + 2.2, and also 1.1 + 3.3 and 2.0 + 2.4; 2.0 is one value, and
    // 1.0 + 1.0; 0.33 is one value, and 0.15 + 0.18, which rounds a little lower.
    for (double total : {4.4, 2.0, 0.33}) {
        std::vector<Choice> found = candidates(preferred_values(Series::e24), total, true);
        auto at = std::find_if(found.begin(), found.end(), [total](const Choice& c) {
            return std::fabs(c.ohms - total) < 1e-9;
        });
        ASSERT_NE(at, found.end());
        EXPECT_EQ(at->parts,
                  (total == 4.4 ? std::vector<double>{2.2, 2.2} : std::vector<double>{total}));
    }
}

// The merit worked by hand: the worst of the loss error in tenths of a dB
// and each port's |reflection| in hundredths; a minimal loss pad's loss and
// an L-pad's outward port do not count.
TEST(ChooseBuilds, MeritWorkedByHand) {
    Analysis a;
    a.loss = 10.05;       // 0.05 dB off: 0.5
    a.gamma_in = 0.003;   // 0.3
    a.gamma_out = -0.004; // 0.4
    EXPECT_NEAR(merit(design(network("tee"), 50, 50, 10), a), 0.5, 1e-12);
    a.gamma_out = -0.012;
    EXPECT_NEAR(merit(design(network("tee"), 50, 50, 10), a), 1.2, 1e-12);
    EXPECT_NEAR(merit(design(network("l-pad"), 50, 50, 10), a), 0.5, 1e-12);
    a.gamma_in = 0.007;
    EXPECT_NEAR(merit(design(network("min-loss"), 600, 150, 0), a), 1.2, 1e-12);
    EXPECT_NEAR(merit(design(network("l-pad"), 50, 50, 10), a), 0.7, 1e-12);
}

// A design of each network from its natural entries.
Design design_of(Network n, double zone, double ztwo, double loss) {
    if (n->equal_impedances)
        ztwo = zone;
    if (n->min_loss && zone < ztwo)
        std::swap(zone, ztwo);
    return design(n, zone, ztwo, loss + least_loss(zone, ztwo));
}

TEST(ChooseBuilds, BestIsNeverWorseThanNearest) {
    std::mt19937 random(11);
    std::uniform_real_distribution<double> log_z(1.0, 3.0);
    std::uniform_real_distribution<double> extra_loss(0.5, 40.0);
    for (const NetworkInfo& entry : networks()) {
        Network n = &entry;
        for (int i = 0; i < 12; ++i) {
            Design d = design_of(n, std::pow(10.0, log_z(random)), std::pow(10.0, log_z(random)),
                                 extra_loss(random));
            std::string why;
            auto builds = choose_builds(d, all_series[i % 7], i % 3 == 0, why);
            ASSERT_TRUE(builds) << why;
            EXPECT_LE(builds->best.merit, builds->nearest.merit * (1 + 1e-9));
        }
    }
}

TEST(ChooseBuilds, NoCombinationOfThePlainCandidatesDoesBetter) {
    struct Case {
        Network n;
        double zone, ztwo, loss;
        Series s;
        bool pairs;
    };
    const Case cases[] = {{network("tee"), 50, 75, 10, Series::e12, false},
                          {network("pi"), 600, 150, 20, Series::e24, true},
                          {network("h"), 150, 600, 15, Series::e24, false},
                          {network("pi-bal"), 100, 100, 6, Series::e12, true},
                          {network("min-loss"), 75, 50, 0, Series::e24, true},
                          {network("min-loss-bal"), 600, 50, 0, Series::e12, false},
                          {network("bridged-tee"), 50, 50, 6, Series::e24, true}};
    for (const Case& c : cases) {
        Design d = design(c.n, c.zone, c.ztwo, c.loss);
        std::string why;
        auto builds = choose_builds(d, c.s, c.pairs, why);
        ASSERT_TRUE(builds) << why;
        std::vector<std::vector<double>> each;
        for (double ideal : d.resistors)
            each.push_back(plain_candidates(c.s, ideal, c.pairs));
        std::vector<std::size_t> pick(each.size(), 0);
        for (std::size_t r = 0; r < each.size();) {
            std::vector<double> values;
            for (std::size_t k = 0; k < each.size(); ++k)
                values.push_back(each[k][pick[k]]);
            double m = merit(d, analyse(c.n, values, d.zone, d.ztwo));
            ASSERT_GE(m, builds->best.merit * (1 - 1e-9)) << c.n->id;
            for (r = 0; r < each.size() && ++pick[r] == each[r].size(); ++r)
                pick[r] = 0;
        }
    }
}

// A 13 dB Bridged Tee on 100 ohm from E24 pairs: its loss is off by 0.00033
// dB whether the outward series arm is 100 ohm alone or with 8.2 Mohm across
// it, and that loss error outweighs either match, so the two merits are the
// same; the tie goes to the build of fewer distinct values.
TEST(ChooseBuilds, ATieGoesToTheBuildOfFewerValues) {
    Design d = design(network("bridged-tee"), 100, 100, 13);
    std::string why;
    std::optional<Builds> builds = choose_builds(d, Series::e24, true, why);
    ASSERT_TRUE(builds) << why;
    const Build& best = builds->best;
    EXPECT_EQ(best.resistors[0].parts, std::vector<double>{100});
    EXPECT_EQ(best.resistors[1].parts, std::vector<double>{100});
    EXPECT_EQ(best.resistors[2].parts, (std::vector<double>{30, 750}));
    EXPECT_EQ(best.resistors[3].parts, (std::vector<double>{560, 910}));
    std::vector<double> rival = totals(best);
    rival[1] = 100 * 8.2e6 / (100 + 8.2e6);
    EXPECT_NEAR(merit(d, analyse(d.network, rival, d.zone, d.ztwo)), best.merit,
                1e-12 * best.merit);
}

TEST(ChooseBuilds, RefusesValuesOutsideTheRange) {
    std::string why;
    EXPECT_FALSE(choose_builds(design(network("tee"), 50, 50, 0.001), Series::e24, false, why));
    EXPECT_NE(why.find("R1"), std::string::npos) << why;
    EXPECT_FALSE(choose_builds(design(network("tee"), 50, 50, -1), Series::e24, false, why));
    EXPECT_NE(why.find("loss"), std::string::npos) << why;
}

// The range's ends, 0.1 ohm and 10 Mohm, are values of every series: ideal
// values at either (and at 100 ohm and 1 kohm, in every series too) are
// built from themselves, and one a step beyond is refused.
TEST(ChooseBuilds, TakesTheEndsOfTheRange) {
    struct Case {
        std::vector<double> ideal;
        bool built;
    } cases[] = {
        {{0.1, 1000, 1e7}, true},
        {{1e7, 0.1, 100}, true},
        {{std::nextafter(0.1, 0.0), 100, 100}, false},
        {{100, 100, std::nextafter(1e7, 2e7)}, false},
    };
    for (const Case& c : cases) {
        Design d = design(network("tee"), 50, 50, 10);
        d.resistors = c.ideal;
        for (Series s : all_series) {
            std::string why;
            std::optional<Builds> builds = choose_builds(d, s, false, why);
            ASSERT_EQ(builds.has_value(), c.built) << series_name(s) << " " << why;
            if (builds)
                EXPECT_EQ(totals(builds->nearest), c.ideal) << series_name(s);
            else
                EXPECT_NE(why.find("outside the preferred values' range"), std::string::npos)
                    << why;
        }
    }
}

TEST(ToleranceSpread, ZeroIsTheBuildAndTheSpreadHoldsIt) {
    std::string why;
    for (const NetworkInfo& entry : networks()) {
        Network n = &entry;
        Design d = design_of(n, 75, 50, 10);
        Build b = choose_builds(d, Series::e12, false, why)->best;
        ToleranceSpread none = tolerance_spread(build_circuit(n, b.resistors), d.zone, d.ztwo, 0);
        EXPECT_NEAR(none.loss_low, b.analysis.loss, 1e-12);
        EXPECT_NEAR(none.loss_high, b.analysis.loss, 1e-12);
        EXPECT_NEAR(none.worst_return_loss_in, b.analysis.return_loss_in, 1e-9);
        EXPECT_NEAR(none.worst_return_loss_out, b.analysis.return_loss_out, 1e-9);
        ToleranceSpread five = tolerance_spread(build_circuit(n, b.resistors), d.zone, d.ztwo, 5);
        EXPECT_LT(five.loss_low, b.analysis.loss);
        EXPECT_GT(five.loss_high, b.analysis.loss);
        EXPECT_LE(five.worst_return_loss_in, b.analysis.return_loss_in);
        EXPECT_LE(five.worst_return_loss_out, b.analysis.return_loss_out);
    }
}

TEST(PowerFlow, ResistorsAndLoadTakeWhatTheSourceDelivers) {
    for (const NetworkInfo& entry : networks()) {
        Network n = &entry;
        Design d = design_of(n, 75, 50, 7);
        Circuit c = build_circuit(n, d.resistors);
        Analysis a = analyse(c, d.zone, d.ztwo);
        for (Feed feed : {Feed::inward, Feed::outward}) {
            PowerFlow p = power_flow(c, d.zone, d.ztwo, 2.0, feed);
            double gamma = feed == Feed::inward ? a.gamma_in : a.gamma_out;
            double delivered = 2.0 * (1 - gamma * gamma);
            double taken = p.load;
            for (double w : p.parts)
                taken += w;
            EXPECT_NEAR(taken, delivered, 1e-9 * delivered) << n->id;
        }
    }
    Circuit tee = build_circuit(network("tee"), design(network("tee"), 50, 50, 10).resistors);
    PowerFlow p = power_flow(tee, 50, 50, 1.0, Feed::inward);
    EXPECT_NEAR(p.parts[0], 0.5195, 0.00005); // the arm at the source: 0.519 to 3 decimals
    EXPECT_NEAR(p.parts[1], 0.052, 0.0005);   // the far arm
    EXPECT_NEAR(p.parts[2], 0.329, 0.0005);   // the shunt arm
    EXPECT_NEAR(p.load, 0.100, 0.0005);
}

} // namespace
} // namespace padcalc
