// A pad's S-parameters as a Touchstone 2.0 two-port file, for circuit and
// field simulators to read.
#pragma once

#include "circuit.h"
#include "export_text.h"
#include "response.h"

#include <optional>
#include <string>
#include <vector>

namespace padcalc {

// The two-port file of an analysed network, port 1 referred to Z1 and port 2
// to Z2, in real and imaginary parts. A resistive pad is the same at every
// frequency, so each line repeats S11, S21, S12 and S22 (the order 21_12);
// for a balanced pad they are those of its differential ports. Each comment
// line is written after "! ". The frequencies, in Hz, must be ascending.
std::string touchstone(const Analysis& analysis, double zone, double ztwo,
                       const std::vector<double>& frequencies_hz,
                       const std::vector<std::string>& comment_lines);

// The same from a response, which with a part model differs from one
// frequency to the next; without one it is the file above.
std::string touchstone(Response& response, double zone, double ztwo,
                       const std::vector<double>& frequencies_hz,
                       const std::vector<std::string>& comment_lines);

// Each file above written a block at a time as it is worked out, so that a
// million frequencies are never held at once. A line is written only when
// its figures are all finite numbers: before the first frequency where one
// is not, the file stops short, without its last line, and that frequency
// is given; else nothing is. It also stops at the first block `write`
// refuses.
std::optional<double> write_touchstone(const Analysis& analysis, double zone, double ztwo,
                                       const std::vector<double>& frequencies_hz,
                                       const std::vector<std::string>& comment_lines,
                                       const Sink& write);
std::optional<double> write_touchstone(Response& response, double zone, double ztwo,
                                       const std::vector<double>& frequencies_hz,
                                       const std::vector<std::string>& comment_lines,
                                       const Sink& write);

// `points` frequencies from `start` to `stop` Hz, both included, evenly
// spaced on a log scale; one point is `start` alone, and fewer is none.
// Needs 0 < start <= stop.
std::vector<double> log_frequencies(double start, double stop, int points);

} // namespace padcalc
