// The minimal loss pads: two resistors that match a higher inward impedance
// Z1 to a lower outward impedance Z2 with the least loss a resistive pad can
// have. R1 is the series arm on the inward side, R3 the shunt arm across the
// outward side.

#include "screens.h"

#include "design/network.h"
#include "steps.h"

#include <cmath>

namespace padcalc {
namespace {

// Why the entries cannot make a pad, or an empty view if they can.
std::string_view refusal(const WorkingValues& w) {
    if (!(w.zone > w.ztwo))
        return "\nThe inward impedance must be greater than the outward impedance";
    if (!(w.ztwo > 0) || !std::isfinite(w.zone) || !std::isfinite(w.ztwo))
        return "\nThe impedances must be positive numbers";
    return {};
}

// Asks until the entries make a pad. Every refusal waits for a keystroke, so
// the loop never goes round by itself; when the keys end, so does the screen.
void min_loss_screen(Console& con, WorkingValues& w, std::string_view title, bool balanced) {
    bool right = false;
    while (!right) {
        w.reset();
        con.clear_screen();
        con.write_text(title);
        con.write_text(inward_prompt);
        con.read_value(w.zone);
        con.write_text(outward_prompt);
        con.read_value(w.ztwo);
        std::string_view why = refusal(w);
        if (why.empty()) {
            right = true;
            MinLossPad pad = min_loss_pad(w.zone, w.ztwo, balanced);
            std::vector<double> exact =
                exact_resistors(balanced ? "min-loss-bal" : "min-loss", w.zone, w.ztwo, 0);
            w.rone = checked(pad.rone, exact[0]);
            w.rthree = checked(pad.rthree, exact[1]);
            w.loss = checked(pad.loss, least_loss(w.zone, w.ztwo));
            con.write_text(r1_line, w.rone);
            con.write_text(r3_line, w.rthree);
            con.write_text("\nThe minium loss for the network is = %6.3f dB", w.loss);
            con.write_text(closing_line);
        } else {
            con.write_text(why);
            con.write_text("\n\nPlease press ENTER to try different values");
        }
        if (!con.wait_key())
            return;
    }
}

} // namespace

void mlp_un(Console& con, WorkingValues& w, std::string_view title) {
    min_loss_screen(con, w, title, false);
}

void mlp_bal(Console& con, WorkingValues& w, std::string_view title) {
    min_loss_screen(con, w, title, true);
}

} // namespace padcalc
