// Sweeps of losses, placed exactly in decimal, and the Touchstone file's
// lists of frequencies: where they start and stop, how many, and refusals.

#include "design/quantity.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace padcalc {
namespace {

TEST(LossSweep, EachLossIsNearestToTheExactDecimal) {
    struct Case {
        const char* text;
        std::vector<double> losses;
    } cases[] = {
        {"10dB", {10}},
        {"10:10:1", {10}},
        {"0.1:0.3:0.1", {0.1, 0.2, 0.3}}, // not 0.30000000000000004
        {"0:0.3:0.1", {0, 0.1, 0.2, 0.3}},
        // Three steps of 0.3333333333333 pass 0.9999999999: no fourth loss.
        {"0:0.9999999999:0.3333333333333", {0, 0.3333333333333, 0.6666666666666}},
        {"-1:1dB:0.5dB", {-1, -0.5, 0, 0.5, 1}},
        {"1e-300:3.1e300:1e300", {1e-300, 1e300, 2e300, 3e300}},
        // Digits too far apart for 64 bits, placed digit by digit.
        {"0.000000000001:0.3:0.1", {1e-12, 0.100000000001, 0.200000000001}},
    };
    for (const Case& c : cases) {
        Expected<Losses> losses = parse_losses(c.text);
        ASSERT_TRUE(losses) << c.text << ": " << losses.reason();
        std::vector<double> all;
        for (long i = 0; i < losses->count; ++i)
            all.push_back(losses->at(i));
        EXPECT_EQ(all, c.losses) << c.text;
    }
    // At most 10,000,000 losses, counted exactly.
    for (const char* text : {"1:10000000:1", "1:10000000.995:1", "0:0.9999999:0.0000001"})
        EXPECT_EQ(parse_losses(text)->count, max_sweep_count) << text;
}

// Losses written with few digits are placed in 64-bit whole numbers; the
// same losses placed digit by digit must agree with them exactly.
TEST(LossSweep, WholeNumbersAgreeWithDigitByDigit) {
    std::mt19937 random(7);
    for (int i = 0; i < 20'000; ++i) {
        std::string from = std::to_string(static_cast<int>(random() % 20001) - 10000) + "e" +
                           std::to_string(static_cast<int>(random() % 5) - 6);
        std::string step = std::to_string(random() % 999 + 1) + "e" +
                           std::to_string(static_cast<int>(random() % 5) - 4);
        Expected<Losses> losses = parse_losses(from + ":100:" + step);
        ASSERT_TRUE(losses) << from << " " << step << ": " << losses.reason();
        auto k = static_cast<std::uint32_t>(random() % static_cast<std::uint32_t>(losses->count));
        EXPECT_EQ(losses->at(k), to_double(losses->from + losses->step * k)) << from << " " << step;
    }
}

struct Refused {
    const char* text;
    const char* why;
};

template <typename T>
void expect_refusals(Expected<T> (*parse)(std::string_view), std::initializer_list<Refused> cases) {
    for (const Refused& c : cases) {
        Expected<T> parsed = parse(c.text);
        ASSERT_FALSE(parsed) << c.text;
        EXPECT_NE(parsed.reason().find(c.why), std::string::npos)
            << c.text << ": " << parsed.reason();
    }
}

TEST(LossSweep, RefusalsSayWhy) {
    expect_refusals(parse_losses, {
                                      {"10x", "not a loss in dB (10, 10dB) or a sweep"},
                                      {"1:2:3:4", "a sweep is FROM:TO:STEP"},
                                      {"1::1", "TO is not a loss in dB"},
                                      {"1:20:0", "STEP must be greater than 0 dB"},
                                      {"20:1:1", "TO must not be below FROM"},
                                      {"1:10000001:1", "the sweep has more than 10,000,000 losses"},
                                      {"1:10000000.995:0.9999999", "more than 10,000,000"},
                                      {"0:1e400:1e399", "STEP must be finite"},
                                      {"1.7e308:1.8e308:1e307", "the losses must be finite"},
                                      {"1e-2000:1:0.5", "1000 places"},
                                      {"0:1e-99999999999999:1e-99999999999999", "1000 places"},
                                  });
}

TEST(FrequencySweep, BothEndsIncludedFiniteAndAscending) {
    struct Case {
        const char* text;
        std::size_t points;
        double first, last;
    } cases[] = {
        {"1MHz:1GHz:11", 11, 1e6, 1e9},
        {"1k:1k:1", 1, 1e3, 1e3},
        {"1:2:1000000", 1'000'000, 1, 2},
        {"1e-300:1e300:5", 5, 1e-300, 1e300},
    };
    for (const Case& c : cases) {
        Expected<std::vector<double>> hz = parse_frequencies(c.text);
        ASSERT_TRUE(hz) << c.text << ": " << hz.reason();
        ASSERT_EQ(hz->size(), c.points) << c.text;
        EXPECT_EQ(hz->front(), c.first) << c.text;
        EXPECT_EQ(hz->back(), c.last) << c.text;
        for (std::size_t i = 1; i < hz->size(); ++i)
            ASSERT_TRUE((*hz)[i] > (*hz)[i - 1] && std::isfinite((*hz)[i])) << c.text << " " << i;
    }
}

TEST(FrequencySweep, RefusalsSayWhy) {
    expect_refusals(parse_frequencies,
                    {
                        {"1k:2k", "not START:STOP:POINTS"},
                        {"x:2k:5", "START is not a frequency"},
                        {"1k:2k:1000001", "POINTS must be a whole number from 1 to 1,000,000"},
                        {"1k:2k:1.5", "POINTS must be a whole number"},
                        {"1e-400:1k:5", "START must be finite and greater than 0 Hz"},
                        {"1k:1e999:5", "STOP must be finite"},
                        {"1G:1M:11", "STOP must not be below START"},
                        {"1k:1k:2", "one frequency, which takes one point, not 2"},
                        {"1k:2k:1", "one point cannot reach from START to STOP"},
                        {"1:1.0000000000000002:3", "too close for 3 distinct frequencies"},
                    });
}

} // namespace
} // namespace padcalc
