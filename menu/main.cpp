// padcalc: resistor values for attenuators and impedance-matching pads.

#include "cli/command_line.h"
#include "console/system_port.h"
#include "menu.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

// The command line, with its messages to standard error a line at a time.
// On Windows the arguments are read again as UTF-8: those main is given are
// in the ANSI code page, where Ω is not to be had. (Windows would take line
// buffering for full buffering, holding every message back to the end.)
int run_command_line(int argc, char** argv) {
#ifdef _WIN32
    std::vector<std::string> arguments = padcalc::utf8_arguments();
    std::vector<char*> pointers;
    for (std::string& argument : arguments)
        pointers.push_back(argument.data());
    pointers.push_back(nullptr);
    if (arguments.size() > 1) {
        argc = static_cast<int>(arguments.size());
        argv = pointers.data();
    }
#else
    std::setvbuf(stderr, nullptr, _IOLBF, BUFSIZ);
#endif
    return padcalc::run_command_line(argc, argv, padcalc::menu_keys_help());
}

} // namespace

int main(int argc, char** argv) {
    // With arguments it is the command line; the menu is not set up at all.
    if (argc > 1)
        return run_command_line(argc, argv);
    padcalc::SystemPort port;
    padcalc::Console con(port);
    padcalc::run_menu(con);
    con.end_line();
    return con.output_failed() ? 1 : 0; // the port has said why on standard error
}
