// A whole session with no console: the input is everything typed, keys and
// lines in one stream, and the program must come to its end when the input
// does, whatever the input holds.

#include "session_port.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    padcalc::fuzzing::run_session(padcalc::Source::bare, data, size, 1024);
    return 0;
}
