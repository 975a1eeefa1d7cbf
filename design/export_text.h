// Text written for other programs to read: simulators' netlists and data files.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace padcalc {

// Where a text is written, a piece at a time. It gives false once the text
// is lost (its reader has gone, the disk is full), so that the rest need
// not be worked out.
using Sink = std::function<bool(std::string_view)>;

// The shortest text that reads back to the same double: the one writer of
// numbers for every file other programs read (JSON, CSV, SPICE, Touchstone).
std::string exact_number(double value);
// The same, added to `out` with nothing allocated but its growth: a long
// sweep writes several numbers for each loss.
void append_exact_number(std::string& out, double value);

// Each line as a comment starting with `marker` ("*", "!"), a line break
// inside one of them starting a comment line of its own.
std::string comment_block(const std::vector<std::string>& lines, std::string_view marker);

} // namespace padcalc
