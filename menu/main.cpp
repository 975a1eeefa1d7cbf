// padcalc: resistor values for attenuators and impedance-matching pads.

#include "console/system_port.h"
#include "menu.h"

#include <cstdio>
#include <cstring>

#ifndef PADCALC_VERSION
#define PADCALC_VERSION "unknown"
#endif

namespace {

const char usage[] = "Usage: padcalc [--help | --version]\n"
                     "\n"
                     "Computes the resistors of attenuators and impedance-matching pads.\n"
                     "With no options it shows a menu: press a key to choose a network, then\n"
                     "type the impedances in ohms and the loss in dB, each ended with ENTER.\n"
                     "\n"
                     "Keys, in lower case only (the capitals in the menu are not choices):\n"
                     "  a  unbalanced Tee network\n"
                     "  b  balanced H network\n"
                     "  c  unbalanced Pi network\n"
                     "  d  balanced Pi network\n"
                     "  e  minimal loss pad, unbalanced\n"
                     "  f  minimal loss pad, balanced\n"
                     "  q  quit\n"
                     "\n"
                     "Options:\n"
                     "  --help     show this help and exit\n"
                     "  --version  show the version and exit\n"
                     "\n"
                     "See padcalc(1) for the networks, the console and examples.\n";

// Writes an option's text to standard output; a full disk or a closed
// standard output must not pass for success.
int show(const char* text) {
    if (std::fputs(text, stdout) < 0 || std::fflush(stdout) != 0) {
        std::perror("padcalc: write error");
        return 1;
    }
    return 0;
}

int refuse(const char* what, const char* argument) {
    std::fprintf(stderr, "padcalc: %s '%s'\n", what, argument);
    std::fputs("Try 'padcalc --help' for more information.\n", stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1) {
        const char* option = argv[1];
        bool help = std::strcmp(option, "--help") == 0;
        bool version = std::strcmp(option, "--version") == 0;
        if (!help && !version)
            return refuse("unrecognized argument", option);
        if (argc > 2)
            return refuse("unexpected argument", argv[2]);
        return show(help ? usage : "padcalc " PADCALC_VERSION "\n");
    }
    padcalc::SystemPort port;
    padcalc::Console con(port);
    padcalc::run_menu(con);
    con.end_line();
    return 0;
}
