// A whole session at a terminal: the input is every key pressed, through the
// line editor, with stops and continues among them (Ctrl-Z); the program must
// come to its end when the keys do. A redraw after a stop may repeat a whole
// line being typed, so a byte of input may answer for a few kilobytes.

#include "session_port.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    padcalc::fuzzing::run_session(padcalc::Source::terminal, data, size, 8192);
    return 0;
}
