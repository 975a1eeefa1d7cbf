// Reading and writing a double as std::from_chars and std::to_chars do, for
// a C++ library that lacks their floating-point forms (Emscripten 3.1.6's).
#pragma once

#include <cstddef>

namespace padcalc::web {

// The shortest text that reads back to `value`, laid out as std::to_chars
// lays it out with no format given: fixed or scientific, whichever is
// shorter, fixed on a tie. Returns the end of what was written, or nullptr
// when it does not fit.
char* write_shortest(char* first, char* last, double value);

// Reads a decimal number (no leading '+', no "inf" or "nan"; the caller has
// checked its form). Returns 0 and sets `value`, or ERANGE when it is too
// large or too small for a double, leaving `value` alone.
int read_decimal(const char* first, const char* last, double& value);

} // namespace padcalc::web
