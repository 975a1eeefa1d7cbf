// A whole session at a terminal: the input is every key pressed, through the
// line editor, with stops and continues among them (Ctrl-Z); the program must
// come to its end when the keys do. A redraw after a stop may repeat a whole
// line being typed, so a byte of input may answer for a few kilobytes. The
// line editor decodes what is typed in the C locale for some inputs and in
// UTF-8 for the others, wide characters and combining marks among it.

#include "session_port.h"

#include <clocale>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::setlocale(LC_CTYPE, size / 2 % 2 == 0 ? "C" : "C.UTF-8");
    padcalc::fuzzing::run_session(padcalc::Source::terminal, data, size, 8192);
    return 0;
}
