// The fixed-loss screens: Tee, H, Pi and balanced Pi. Each takes Z1, Z2 and
// the wanted loss, and shows three resistors.

#include "screens.h"

#include <algorithm>
#include <cmath>

namespace padcalc {
namespace {

// Tee: R1 and R2 are the series arms towards the inward and the outward
// side, R3 the shunt arm from their junction to the common line. The H is
// the Tee with each series arm split into `parts` equal halves, one in each
// line of the balanced pair: R1 and R2 are one half, R3 is the Tee's shunt.
void tee_formulas(WorkingValues& w, double parts) {
    w.N = stored(std::pow(10.0, w.loss / 10.0));
    w.a = stored(std::pow(double{w.N} * w.zone * w.ztwo, 0.5));
    w.rthree = stored(2.0 * w.a / (w.N - 1.0));
    w.b = stored((w.N + 1.0) / (w.N - 1.0));
    w.rone = stored((double{w.zone} * w.b - w.rthree) / parts);
    w.rtwo = stored((double{w.ztwo} * w.b - w.rthree) / parts);
}

// Pi: R1 and R2 are the shunt arms at the inward and the outward side, R3 the
// series arm between them.
void pi_formulas(WorkingValues& w) {
    w.N = stored(std::pow(10.0, w.loss / 10.0));
    w.a = stored(std::pow(double{w.zone} * w.ztwo / w.N, 0.5));
    w.rthree = stored((w.N - 1.0) / 2.0 * w.a);
    w.b = stored((w.N + 1.0) / (w.N - 1.0));
    w.rone = stored(1.0 / (1.0 / w.zone * w.b - 1.0 / w.rthree));
    w.rtwo = stored(1.0 / (1.0 / w.ztwo * w.b - 1.0 / w.rthree));
}

// Balanced Pi: the Pi's shunt arms, with the series arm split into two equal
// halves, one in each line; R3 is one half.
void pi_bal_formulas(WorkingValues& w) {
    pi_formulas(w);
    w.rthree = stored(w.rthree / 2.0);
}

bool positive_finite(double value) { return value > 0 && std::isfinite(value); }

// The least loss that any resistive pad between these impedances can have:
// 20 log10(sqrt(r) + sqrt(r - 1)), r being the larger impedance over the smaller.
double least_loss(double zone, double ztwo) {
    double r = std::max(zone, ztwo) / std::min(zone, ztwo);
    return 20.0 * std::log10(std::sqrt(r) + std::sqrt(r - 1.0));
}

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

void fixed_loss_screen(Console& con, WorkingValues& w, std::string_view title,
                       void (*formulas)(WorkingValues&)) {
    w.reset();
    con.clear_screen();
    con.write_text(title);
    con.write_text(inward_prompt);
    con.read_value(w.zone);
    con.write_text(outward_prompt);
    con.read_value(w.ztwo);
    con.write_text(loss_prompt);
    con.read_value(w.loss);
    formulas(w);
    con.write_text(r1_line, w.rone);
    con.write_text(r2_line, w.rtwo);
    con.write_text(r3_line, w.rthree);
    warn_if_unbuildable(con, w);
    con.write_text(closing_line);
    con.wait_key();
}

} // namespace

void tee_un(Console& con, WorkingValues& w) {
    fixed_loss_screen(con, w, "Unbalanced Tee Network\n\n",
                      [](WorkingValues& v) { tee_formulas(v, 1.0); });
}

void h_bal(Console& con, WorkingValues& w) {
    fixed_loss_screen(con, w, "Balanced H Network\n\n",
                      [](WorkingValues& v) { tee_formulas(v, 2.0); });
}

void pi_un(Console& con, WorkingValues& w) {
    fixed_loss_screen(con, w, "Unbalanced Pi Network\n\n", pi_formulas);
}

void pi_bal(Console& con, WorkingValues& w) {
    fixed_loss_screen(con, w, "Balanced Pi Network\n\n", pi_bal_formulas);
}

} // namespace padcalc
