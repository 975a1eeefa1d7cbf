// padcalc: resistor values for attenuators and impedance-matching pads.

#include "console/posix_port.h"
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
                     "With no options it shows a menu; press a key to choose a network, then\n"
                     "type the impedances in ohms and the loss in dB, each ended with ENTER.\n"
                     "\n"
                     "Keys (lower case only):\n"
                     "  a  unbalanced Tee          b  balanced H\n"
                     "  c  unbalanced Pi           d  balanced Pi\n"
                     "  e  minimal loss pad, unbalanced\n"
                     "  f  minimal loss pad, balanced\n"
                     "  q  quit\n"
                     "\n"
                     "Options:\n"
                     "  --help     show this help and exit\n"
                     "  --version  show the version and exit\n";

} // namespace

int main(int argc, char** argv) {
    if (argc > 1) {
        if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
            std::fputs(usage, stdout);
            return 0;
        }
        if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
            std::puts("padcalc " PADCALC_VERSION);
            return 0;
        }
        std::fprintf(stderr, "padcalc: unrecognized argument '%s'\n", argv[1]);
        std::fputs("Try 'padcalc --help' for more information.\n", stderr);
        return 2;
    }
    padcalc::PosixPort port;
    padcalc::Console con(port);
    padcalc::run_menu(con);
    con.end_line();
    return 0;
}
