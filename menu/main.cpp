// padcalc: resistor values for attenuators and impedance-matching pads.

#include "cli/command_line.h"
#include "console/system_port.h"
#include "menu.h"

#include <cstdio>

int main(int argc, char** argv) {
    // With arguments it is the command line; the menu is not set up at all.
    // Its messages go to standard error a line at a time.
    if (argc > 1) {
        std::setvbuf(stderr, nullptr, _IOLBF, BUFSIZ);
        return padcalc::run_command_line(argc, argv, padcalc::menu_keys_help());
    }
    padcalc::SystemPort port;
    padcalc::Console con(port);
    padcalc::run_menu(con);
    con.end_line();
    return con.output_failed() ? 1 : 0; // the port has said why on standard error
}
