// The fixed-loss screens, Tee, H, Pi and balanced Pi, as whole screens.

#include "networks/steps.h"
#include "script_port.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>

namespace padcalc::testing {
namespace {

const char* const least_loss_warning =
    "\n\nThis network cannot be built: the loss must be greater than %s dB for these impedances";
const std::string no_design = "\n\nThis network cannot be built from these entries";

std::string warning(const char* least) {
    char text[200];
    std::snprintf(text, sizeof text, least_loss_warning, least);
    return text;
}

// One fixed-loss screen, the entries typed one to a line.
std::string screen(const std::string& title, const std::string& z1, const std::string& z2,
                   const std::string& l, const std::string& results_and_warning) {
    return cls + title + inward + z1 + "\n" + outward + z2 + "\n" + loss + l + "\n" +
           results_and_warning + closing;
}

// Runs one screen from the menu and gives that screen alone.
std::string run_screen(char key, const std::string& z1, const std::string& z2,
                       const std::string& l) {
    std::string shown =
        run_menu_on(Source::terminal, {std::string(1, key), z1 + "\n", z2 + "\n", l + "\n"});
    EXPECT_TRUE(shown.starts_with(menu));
    return shown.substr(menu.size());
}

TEST(TeeScreen, ReadsAsTheUserSeesIt) {
    const std::string expected = cls + "Unbalanced Tee Network\n"
                                       "\n"
                                       "Please enter a value for the inward impedance: 600\n"
                                       "Please enter a value for the outward impedance: 600\n"
                                       "Please enter a value for the loss: 10\n"
                                       "\n"
                                       "The value for resistor 'R1' is =   311.696 ohms\n"
                                       "The value for resistor 'R2' is =   311.696 ohms\n"
                                       "The value for resistor 'R3' is =   421.637 ohms\n"
                                       "\n"
                                       "Press ENTER to return to the main menu";
    // ENTER closes the screen and is the menu's next choice; the key after
    // the invalid-choice line chooses again.
    EXPECT_EQ(run_menu_on(Source::terminal, {"a", "600\n", "600\n", "10\n", "\n", "q", "x"}),
              menu + expected + menu + invalid + menu + ended);
}

TEST(TeeScreen, KeysTypedAheadAreNotLost) {
    std::string typed_at_once = run_menu_on(Source::terminal, {"a600\n600\n10\n\nq\n"});
    EXPECT_EQ(typed_at_once,
              run_menu_on(Source::terminal, {"a", "600\n", "600\n", "10\n", "\n", "q", "\n"}));
}

struct Example {
    char key;
    const char *z1, *z2, *loss;
    const char *r1, *r2, *r3;
    std::string warning;
};

TEST(FixedLossScreens, WorkedExamples) {
    const Example examples[] = {
        {'a', "600", "600", "10", "  311.696", "  311.696", "  421.637", ""},
        {'a', "600", "150", "20", "  551.515", "   92.424", "   60.606", ""},
        {'b', "600", "600", "10", "  155.848", "  155.848", "  421.637", ""},
        {'c', "75", "75", "10", "  144.371", "  144.371", "  106.727", ""},
        {'c', "75", "50", "10", "  207.435", "   77.107", "   87.142", ""},
        // The balanced Pi keeps the Pi's shunt arms and halves its series arm.
        {'d', "75", "75", "10", "  144.371", "  144.371", "   53.363", ""},
        {'d', "75", "50", "10", "  207.435", "   77.107", "   43.571", ""},
        // Too little loss for the impedance ratio: negative arms.
        {'a', "50", "75", "3", "  -23.347", "   51.891", "  173.823", warning("5.719")},
        {'c', "50", "75", "3", "   72.267", " -160.618", "   21.574", warning("5.719")},
        {'b', "150", "600", "3", " -200.064", "  477.078", "  851.557", warning("11.439")},
        // No loss at all divides by zero.
        {'a', "600", "600", "0", "      nan", "      nan", "      inf", warning("0.000")},
        {'c', "75", "75", "0", "      nan", "      nan", "    0.000", warning("0.000")},
        // Entries that no loss can help.
        {'a', "0", "600", "10", "    0.000", "  733.333", "    0.000", no_design},
        // Where the single-precision steps go wrong (a power ratio too large
        // for a float, arms that cancel just above the least loss) the screen
        // shows the exact values.
        {'a', "600", "600", "500", "  600.000", "  600.000", "    0.000", ""},
        {'c', "75", "75", "0.001", "1302883.375", "1302883.375", "    0.009", ""},
        {'a', "4700", "4700", "0.001", "    0.271", "    0.271", "40823680.000", ""},
    };
    const char* titles[] = {"Unbalanced Tee Network\n\n", "Balanced H Network\n\n",
                            "Unbalanced Pi Network\n\n", "Balanced Pi Network\n\n"};
    for (const Example& e : examples) {
        EXPECT_EQ(
            run_screen(e.key, e.z1, e.z2, e.loss),
            screen(titles[e.key - 'a'], e.z1, e.z2, e.loss, results(e.r1, e.r2, e.r3) + e.warning))
            << e.key << " " << e.z1 << " " << e.z2 << " " << e.loss;
    }
}

TEST(FixedLossScreens, OneLineCanAnswerEveryPrompt) {
    // Three numbers on one line answer the three prompts without a wait; a
    // fourth answers the first prompt of the next screen.
    std::string shown =
        run_menu_on(Source::terminal, {"a", "600 600 10 75\n", "\n", "c", "75\n10\n"});
    std::string tee = cls + "Unbalanced Tee Network\n\n" + inward + "600 600 10 75\n" + outward +
                      loss + results("  311.696", "  311.696", "  421.637") + closing;
    std::string pi = cls + "Unbalanced Pi Network\n\n" + inward + outward + "75\n" + loss + "10\n" +
                     results("  144.371", "  144.371", "  106.727") + closing;
    EXPECT_EQ(shown, menu + tee + menu + invalid + menu + pi);
}

TEST(FixedLossScreens, UnreadableEntriesCountAsZero) {
    EXPECT_EQ(run_screen('a', "abc", "600", "10"),
              screen("Unbalanced Tee Network\n\n", "abc", "600", "10",
                     results("    0.000", "  733.333", "    0.000") + no_design));
}

// The arms read back from a screen.
struct Arms {
    double r1, r2, r3;
};

Arms read_arms(const std::string& shown) {
    Arms arms{};
    double* values[] = {&arms.r1, &arms.r2, &arms.r3};
    std::size_t at = 0;
    for (double* value : values) {
        at = shown.find("is =", at) + 4;
        std::sscanf(shown.c_str() + at, "%lf", value);
    }
    return arms;
}

double parallel(double x, double y) { return x * y / (x + y); }

// Built from the values shown, a pad with a loss comfortably above the
// least loss is a real design: each end sees its own impedance when the
// other is terminated, and the power lost is the loss asked for.
TEST(FixedLossScreens, DesignsMatchTheirImpedancesAndLoss) {
    std::mt19937 random(12345);
    std::uniform_real_distribution<double> log_ohms(1.0, 4.0), margin(0.05, 40.0);
    for (int trial = 0; trial < 300; ++trial) {
        double z1 = std::round(std::pow(10.0, log_ohms(random)));
        double z2 = std::round(std::pow(10.0, log_ohms(random)));
        double r = std::max(z1, z2) / std::min(z1, z2);
        double least = 20 * std::log10(std::sqrt(r) + std::sqrt(r - 1));
        char l[32];
        std::snprintf(l, sizeof l, "%.2f", least + margin(random));
        bool tee = trial % 2 == 0;
        std::string shown =
            run_screen(tee ? 'a' : 'c', std::to_string(int(z1)), std::to_string(int(z2)), l);
        ASSERT_EQ(shown.find("cannot be built"), std::string::npos) << shown;
        Arms arm = read_arms(shown);
        double zin, zout, gain; // gain: the voltage at Z2 over the voltage at the input
        if (tee) {
            zin = arm.r1 + parallel(arm.r3, arm.r2 + z2);
            zout = arm.r2 + parallel(arm.r3, arm.r1 + z1);
            gain = parallel(arm.r3, arm.r2 + z2) / zin * z2 / (arm.r2 + z2);
        } else {
            zin = parallel(arm.r1, arm.r3 + parallel(arm.r2, z2));
            zout = parallel(arm.r2, arm.r3 + parallel(arm.r1, z1));
            gain = parallel(arm.r2, z2) / (arm.r3 + parallel(arm.r2, z2));
        }
        double lost = 10 * std::log10((1 / z1) / (gain * gain / z2));
        EXPECT_NEAR(zin / z1, 1, 2e-3) << shown;
        EXPECT_NEAR(zout / z2, 1, 2e-3) << shown;
        EXPECT_NEAR(lost, std::atof(l), 0.02) << shown;
    }
}

// The Pi at low losses, where N is close to 1 and (N + 1)/(N - 1) loses
// its digits: the steps, each line worked independently here in double on
// the stored single-precision values, and the screen, which shows the exact
// value where the steps stray by more than 1e-4 (28952.995 from a worked
// decimal computation, where the steps give 29306.436) and the steps' own
// value where they do not.
TEST(FixedLossScreens, LowLossPiShowsTheExactValue) {
    EXPECT_EQ(run_screen('c', "50", "50", "0.03"),
              screen("Unbalanced Pi Network\n\n", "50", "50", "0.03",
                     results("28952.994", "28952.994", "    0.173")));
    EXPECT_EQ(run_screen('c', "50", "50", "1.01"),
              screen("Unbalanced Pi Network\n\n", "50", "50", "1.01",
                     results("  860.954", "  860.954", "    5.827")));
    auto stored = [](double value) { return static_cast<float>(value); };
    for (float zone : {50.0f, 75.0f, 600.0f}) {
        for (float loss = 0.01f; loss < 2.0f; loss += 0.01f) {
            float n = stored(std::pow(10.0, double{loss} / 10.0));
            float a = stored(std::pow(double{zone} * double{zone} / double{n}, 0.5));
            float r3 = stored((double{n} - 1.0) / 2.0 * double{a});
            float b = stored((double{n} + 1.0) / (double{n} - 1.0));
            float r1 = stored(1.0 / (1.0 / double{zone} * double{b} - 1.0 / double{r3}));
            FixedLossArms arms = pi_arms(zone, zone, loss);
            EXPECT_EQ(format_fixed(arms.rone, 9, 3), format_fixed(r1, 9, 3)) << zone << " " << loss;
            EXPECT_EQ(format_fixed(arms.rthree, 9, 3), format_fixed(r3, 9, 3))
                << zone << " " << loss;
        }
    }
}

} // namespace
} // namespace padcalc::testing
