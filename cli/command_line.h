// The command line: one-shot designs and checks, for scripts and notes.
#pragma once

#include "design/network.h"

#include <span>
#include <string>
#include <string_view>

namespace padcalc {

// Runs the command that the arguments name and gives the exit status:
// 0 done, 1 a design that cannot be built or output that could not be
// written, 2 a usage error. `menu_keys` is the menu's key list, for --help.
int run_command_line(int argc, char** argv, std::string_view menu_keys);

// The help's lines saying what each of these networks takes to be checked:
// its id, its resistors' names and its title, each column as wide as the
// longest of its kind and two spaces more.
std::string networks_help(std::span<const NetworkInfo> table);

} // namespace padcalc
