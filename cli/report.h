// What the command line writes for each design or check: a table with a
// drawing for people, JSON and CSV for scripts, and a SPICE subcircuit.
#pragma once

#include "evaluate.h"

#include <nlohmann/json_fwd.hpp>

#include <string>

namespace padcalc {

// The text for people: entries, least loss, the drawing and the resistors,
// then the builds and the power. With `ascii` it is plain ASCII ("ohm" for
// Ω); otherwise UTF-8.
std::string text_report(const Result& r, bool ascii);

nlohmann::ordered_json json_report(const Result& r);

// One header line for a run's results, and a line for each result; with
// `builds`, each line also has the nearest and best builds' columns.
std::string csv_header(const Result& first, bool builds);
std::string csv_row(const Result& r, bool builds);

// The subcircuit of the values that `s` says to export.
std::string spice_report(const Result& r, const Settings& s, long sweep_index);

// A value as engineers read it, to four significant figures with an SI
// prefix: "141.9 Ω", "4.700 kΩ", "520.0 mW".
std::string engineering(double value, std::string_view unit, bool ascii);

} // namespace padcalc
