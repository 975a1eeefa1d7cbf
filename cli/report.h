// What the command line writes for each design or check: a table with a
// drawing for people, JSON and CSV for scripts.
#pragma once

#include "design/circuit.h"
#include "design/network.h"

#include <nlohmann/json_fwd.hpp>

#include <optional>
#include <string>

namespace padcalc {

// One design, or one check of given resistors, with what was asked of it.
struct Result {
    Design design;
    std::optional<Analysis> analysis; // the figures of a check
};

// The text for people: entries, least loss, the drawing and the resistors.
// With `ascii` it is plain ASCII ("ohm" for Ω); otherwise UTF-8.
std::string text_report(const Result& r, bool ascii);

nlohmann::ordered_json json_report(const Result& r);

// One header line for a run's results, and a line for each result.
std::string csv_header(const Result& first);
std::string csv_row(const Result& r);

// A value in ohms as engineers read it, to four significant figures with an
// SI prefix: "141.9 Ω", "4.700 kΩ".
std::string engineering_ohms(double ohms, bool ascii);

// The shortest text that reads back to the same double.
std::string exact(double value);

} // namespace padcalc
