// The main menu: one key chooses a calculation screen, and the menu is drawn
// again when the screen is done.
#pragma once

#include "console/console.h"

namespace padcalc {

// Runs the menu until the user quits or the key path ends.
void run_menu(Console& con);

// The reply to the key n.
void naughty(Console& con);

} // namespace padcalc
