// The six calculation screens. Each clears the screen, asks for its entries,
// shows its results and waits for a key, which it leaves for the menu.
#pragma once

#include "console/console.h"
#include "working.h"

namespace padcalc {

void tee_un(Console& con, WorkingValues& w);  // unbalanced Tee
void h_bal(Console& con, WorkingValues& w);   // balanced H
void pi_un(Console& con, WorkingValues& w);   // unbalanced Pi
void pi_bal(Console& con, WorkingValues& w);  // balanced Pi
void mlp_un(Console& con, WorkingValues& w);  // minimal loss pad, unbalanced
void mlp_bal(Console& con, WorkingValues& w); // minimal loss pad, balanced

} // namespace padcalc
