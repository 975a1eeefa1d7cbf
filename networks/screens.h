// The six calculation screens. Each clears the screen, asks for its entries,
// shows its results and waits for a key, which it leaves for the menu.
#pragma once

#include "console/console.h"
#include "working.h"

#include <string_view>

namespace padcalc {

// A screen, with the title it shows at the top.
using Screen = void (*)(Console& con, WorkingValues& w, std::string_view title);

void tee_un(Console& con, WorkingValues& w, std::string_view title); // unbalanced Tee
void h_bal(Console& con, WorkingValues& w, std::string_view title);  // balanced H
void pi_un(Console& con, WorkingValues& w, std::string_view title);  // unbalanced Pi
void pi_bal(Console& con, WorkingValues& w, std::string_view title); // balanced Pi
void mlp_un(Console& con, WorkingValues& w, std::string_view title); // minimal loss pad, unbalanced
void mlp_bal(Console& con, WorkingValues& w, std::string_view title); // minimal loss pad, balanced

} // namespace padcalc
