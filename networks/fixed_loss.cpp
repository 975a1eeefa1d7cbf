// The fixed-loss screens: Tee, H, Pi and balanced Pi. Each takes Z1, Z2 and
// the wanted loss, and shows three resistors.

#include "screens.h"

#include "design/network.h"
#include "steps.h"

#include <cmath>

namespace padcalc {
namespace {

bool positive_finite(double value) { return value > 0 && std::isfinite(value); }

// A negative, infinite or undefined resistor is no design: say so, and when
// the loss asked for is below what the impedances allow, say what it must exceed.
void warn_if_unbuildable(Console& con, const WorkingValues& w) {
    bool entries_fit = positive_finite(w.zone) && positive_finite(w.ztwo);
    bool results_fit = true;
    for (double r : {w.rone, w.rtwo, w.rthree})
        results_fit = results_fit && r >= 0 && std::isfinite(r);
    if (entries_fit && results_fit)
        return;
    if (entries_fit && std::isfinite(w.loss)) {
        double least = least_loss(w.zone, w.ztwo);
        if (w.loss <= least) {
            con.write_text(
                "\n\nThis network cannot be built: the loss must be greater than %.3f dB "
                "for these impedances",
                least);
            return;
        }
    }
    con.write_text("\n\nThis network cannot be built from these entries");
}

using Formulas = FixedLossArms (*)(float zone, float ztwo, float loss);

// The screen of the network with this command-line name and these steps.
void fixed_loss_screen(Console& con, WorkingValues& w, std::string_view title, Formulas formulas,
                       std::string_view network) {
    w.reset();
    con.clear_screen();
    con.write_text(title);
    con.write_text(inward_prompt);
    con.read_value(w.zone);
    con.write_text(outward_prompt);
    con.read_value(w.ztwo);
    con.write_text(loss_prompt);
    con.read_value(w.loss);
    FixedLossArms arms = formulas(w.zone, w.ztwo, w.loss);
    std::vector<double> exact = exact_resistors(network, w.zone, w.ztwo, w.loss);
    w.rone = checked(arms.rone, exact[0]);
    w.rtwo = checked(arms.rtwo, exact[1]);
    w.rthree = checked(arms.rthree, exact[2]);
    con.write_text(r1_line, w.rone);
    con.write_text(r2_line, w.rtwo);
    con.write_text(r3_line, w.rthree);
    warn_if_unbuildable(con, w);
    con.write_text(closing_line);
    con.wait_key();
}

} // namespace

void tee_un(Console& con, WorkingValues& w, std::string_view title) {
    fixed_loss_screen(con, w, title, tee_arms, "tee");
}

void h_bal(Console& con, WorkingValues& w, std::string_view title) {
    fixed_loss_screen(con, w, title, h_arms, "h");
}

void pi_un(Console& con, WorkingValues& w, std::string_view title) {
    fixed_loss_screen(con, w, title, pi_arms, "pi");
}

void pi_bal(Console& con, WorkingValues& w, std::string_view title) {
    fixed_loss_screen(con, w, title, pi_bal_arms, "pi-bal");
}

} // namespace padcalc
