// What the command line writes for people and spreadsheets: a table with a
// drawing, and CSV.
#pragma once

#include "design/evaluate.h"

#include <string>

namespace padcalc {

// The text for people: entries, least loss, the drawing and the resistors,
// then the builds and the power. With `ascii` it is plain ASCII ("ohm" for
// Ω); otherwise UTF-8.
std::string text_report(const Result& r, bool ascii);

// One header line for a run's results, and a line for each result; with
// `builds`, each line also has the nearest and best builds' columns.
std::string csv_header(const Result& first, bool builds);
std::string csv_row(const Result& r, bool builds);

} // namespace padcalc
