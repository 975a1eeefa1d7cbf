// The main menu: one key chooses a calculation screen, and the menu is drawn
// again when the screen is done.
#pragma once

#include "console/console.h"

#include <string>

namespace padcalc {

// Runs the menu until the user quits or the key path ends.
void run_menu(Console& con);

// The menu's keys and what each does, for the command line's help.
std::string menu_keys_help();

// The reply to the key n.
void naughty(Console& con);

} // namespace padcalc
