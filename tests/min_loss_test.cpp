// The minimal loss pads and their refusal loop.

#include "networks/steps.h"
#include "script_port.h"

#include <cmath>
#include <cstring>
#include <tuple>

#include <gtest/gtest.h>

namespace padcalc::testing {
namespace {

const std::string unbalanced = cls + "Minimal Loss Pad (Unbalanced)\n\n";
const std::string balanced = cls + "Minimal Loss Pad (Balanced)\n\n";
const std::string order_refusal =
    "\nThe inward impedance must be greater than the outward impedance"
    "\n\nPlease press ENTER to try different values";
const std::string positive_refusal = "\nThe impedances must be positive numbers"
                                     "\n\nPlease press ENTER to try different values";

std::string asked(const std::string& title, const std::string& z1, const std::string& z2) {
    return title + inward + z1 + "\n" + outward + z2 + "\n";
}

std::string pad(const char* r1, const char* r3, const char* loss) {
    return std::string("\nThe value for resistor 'R1' is = ") + r1 +
           " ohms\nThe value for resistor 'R3' is = " + r3 +
           " ohms\nThe minium loss for the network is = " + loss + " dB" + closing;
}

TEST(MinimalLossPad, WorkedExamples) {
    struct Example {
        std::string key, title, z1, z2, shown;
    } examples[] = {
        {"e", unbalanced, "600", "150", pad("  519.615", "  173.205", "11.439")},
        {"f", balanced, "600", "150", pad("  259.808", "  173.205", "11.439")},
        {"e", unbalanced, "75", "50", pad("   43.301", "   86.603", " 5.719")},
        // The loss no longer depends on the unit: 0.6 and 0.15 (kilohms) as 600 and 150.
        {"e", unbalanced, "0.6", "0.15", pad("    0.520", "    0.173", "11.439")},
        {"e", unbalanced, "2", "1", pad("    1.414", "    1.414", " 7.656")},
    };
    for (const Example& e : examples) {
        EXPECT_EQ(run_menu_on(Source::terminal, {e.key, e.z1 + "\n", e.z2 + "\n", "\n", "q", "x"}),
                  menu + asked(e.title, e.z1, e.z2) + e.shown + menu + invalid + menu + ended)
            << e.z1 << " " << e.z2;
    }
}

TEST(MinimalLossPad, RefusesAndAsksAgainWithTheCursorAfterThePrompt) {
    // ENTER at the refusal clears the screen; its echo is not shown.
    for (auto [z1, z2] : {std::pair{"150", "600"}, {"600", "600"}, {"0", "0"}}) {
        EXPECT_EQ(
            run_menu_on(Source::terminal, {"e", std::string(z1) + "\n", std::string(z2) + "\n",
                                           "\n", "600\n", "150\n", "\n", "q", "x"}),
            menu + asked(unbalanced, z1, z2) + order_refusal + asked(unbalanced, "600", "150") +
                pad("  519.615", "  173.205", "11.439") + menu + invalid + menu + ended);
    }
}

TEST(MinimalLossPad, RefusesImpedancesThatAreNotPositive) {
    for (auto [z1, z2] :
         {std::pair{"600", "0"}, {"600", "-50"}, {"1e39", "50"}, {"600", "-1e39"}}) {
        EXPECT_EQ(
            run_menu_on(Source::terminal, {"f", std::string(z1) + "\n", std::string(z2) + "\n"}),
            menu + asked(balanced, z1, z2) + positive_refusal)
            << z1 << " " << z2;
    }
}

TEST(MinimalLossPad, AKeyAtTheRefusalStartsTheNextEntry) {
    // A digit becomes the first character of the inward impedance.
    EXPECT_EQ(run_menu_on(Source::terminal, {"e", "150\n", "600\n", "6", "00\n", "150\n"}),
              menu + asked(unbalanced, "150", "600") + order_refusal +
                  asked(unbalanced, "600", "150") + pad("  519.615", "  173.205", "11.439"));
    // A letter makes that entry unreadable: it stays 0 and is refused.
    EXPECT_EQ(run_menu_on(Source::terminal, {"e", "150\n", "600\n", "x", "600\n", "150\n"}),
              menu + asked(unbalanced, "150", "600") + order_refusal +
                  asked(unbalanced, "x600", "150") + order_refusal);
}

TEST(MinimalLossPad, NeverAsksTheLoss) {
    std::string shown =
        run_menu_on(Source::terminal, {"e", "600\n", "150\n", "\n", "f", "600 150\n"});
    EXPECT_EQ(shown.find(loss), std::string::npos);
}

// The refusal loop waits for a new keystroke every time round, whatever the
// input does.
TEST(MinimalLossPad, UnreadableEntriesWaitForTheUser) {
    std::string shown = run_menu_on(Source::terminal, {"e", "abc\n", "def\n", "\n", "ghi\n"});
    EXPECT_EQ(shown, menu + asked(unbalanced, "abc", "def") + order_refusal + unbalanced + inward +
                         "ghi\n" + outward + order_refusal);
}

TEST(MinimalLossPad, WithLinesAtTheirEndEachEnterGivesOneRefusal) {
    // Keys from the terminal, standard input redirected and already ended.
    std::string shown = run_menu_on(Source::split, {"e", "\n", "\n", "\n"}, "");
    std::string refused = unbalanced + inward + outward + order_refusal;
    EXPECT_EQ(shown, menu + refused + refused + refused + refused);
}

TEST(MinimalLossPad, WithNoConsoleTheEndOfInputEndsTheProgram) {
    ScriptPort port(Source::bare, {"e150\n600\n\n600\n150\n\nq\n"});
    port.terminal_out = false;
    std::string shown = run_menu_on(port);
    std::string menu_text = menu.substr(cls.size());
    std::string title = unbalanced.substr(cls.size());
    EXPECT_EQ(shown, menu_text + title + inward + outward + order_refusal + title + inward +
                         outward + pad("  519.615", "  173.205", "11.439") + menu_text + invalid +
                         menu_text + ended);
    ScriptPort cut(Source::bare, {"e150\n600"});
    EXPECT_TRUE(run_menu_on(cut).ends_with(order_refusal));
}

} // namespace
} // namespace padcalc::testing

namespace padcalc::testing {
namespace {

// The loss line, worked independently: each line in double precision on the
// single-precision values stored before it, rounded to single precision when
// stored, and the logarithm taken in double precision.
float reference_loss(float zone, float ztwo) {
    auto b = static_cast<float>(std::pow(double{zone} / double{ztwo}, 0.5));
    auto c = static_cast<float>(std::pow(double{zone} / double{ztwo} - 1.0, 0.5));
    auto n = static_cast<float>(std::pow(double{b} + double{c}, 2.0));
    return static_cast<float>(10.0 * std::log10(double{n}));
}

std::string printed(double value) { return format_fixed(value, 6, 3); }

// Taking the logarithm of the single-precision power ratio in single
// precision changed the last printed digit of 111 of these pairs.
TEST(MinimalLossPad, LossIsPrintedAsWorkedInDoublePrecision) {
    int differ = 0;
    for (int zone = 2; zone <= 1000; ++zone) {
        for (int ztwo = 1; ztwo < zone; ++ztwo) {
            auto z1 = static_cast<float>(zone);
            auto z2 = static_cast<float>(ztwo);
            if (printed(min_loss_pad(z1, z2, false).loss) != printed(reference_loss(z1, z2)))
                ++differ;
        }
    }
    EXPECT_EQ(differ, 0);
    for (auto [z1, z2, shown] : {std::tuple{"325", "223", "5.499"}, {"208", "59", "10.798"}}) {
        std::string screen =
            run_menu_on(Source::terminal,
                        {"e", z1 + std::string("\n"), z2 + std::string("\n"), "\n", "q", "x"});
        EXPECT_NE(screen.find("The minium loss for the network is = " +
                              std::string(6 - std::strlen(shown), ' ') + shown + " dB"),
                  std::string::npos)
            << z1 << "/" << z2 << screen;
    }
}

} // namespace
} // namespace padcalc::testing
