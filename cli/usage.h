// The command line's help: the usage lines, the networks each command
// takes, and what each entry is; all from the networks' and options' tables.
#pragma once

#include "design/network.h"

#include <span>
#include <string>
#include <string_view>

namespace padcalc {

// The networks that can be cascaded, as a list: "tee, h, pi".
std::string cascadable();

// The networks' names, as a list.
std::string network_names();

// The help's lines saying what each of these networks takes to be checked:
// its id, its resistors' names and its title, each column as wide as the
// longest of its kind and two spaces more.
std::string networks_help(std::span<const NetworkInfo> table);

// padcalc --help; `menu_keys` is the menu's key list.
std::string usage(std::string_view menu_keys);

// What an entry of a design is ("Z1", "LOSS"), for the command's --help.
std::string entry_help(std::string_view entry);

} // namespace padcalc
