// What the command line writes for people and spreadsheets: a table with a
// drawing, and CSV.
#pragma once

#include "design/cascade.h"
#include "design/evaluate.h"
#include "reports/report.h"

#include <string>

namespace padcalc {

// The text for people: entries, least loss, the drawing and the resistors,
// then the builds and the power. With `ascii` it is plain ASCII ("ohm" for
// Ω); otherwise UTF-8.
std::string text_report(const Result& r, bool ascii);
// The same without the entries and the drawing: from the resistors on.
std::string text_details(const Result& r, bool ascii);

// A cascade for people: its entries and drawing, then each stage's loss,
// share of the power, resistors, builds and power, and the loss and match
// of the cascade of the best builds.
std::string text_report(const CascadeResult& c, bool ascii);
// A cascade as CSV: the header line, then a line for each stage, first its
// number and last the fraction of the power fed inward that it dissipates.
// A row for each stage; with a part model, where each stage and the whole
// cascade hold.
std::string csv_report(const CascadeResult& c, const Settings& s);

// The power table of the text report, for "ideal design" or "build".
std::string power_text(std::string_view which, const Power& p, bool ascii);

// With `s.sweep`, a table of the response at each of s.frequencies for the
// design (or the checked resistors) and for each build, written in pieces;
// it stops at the first piece `write` refuses, and gives false then.
bool text_sweeps(const Result& r, const Settings& s, const Sink& write);
// One response's table, headed "Response of the " and `which`.
bool text_sweep(const std::string& which, Response& response, const Settings& s, const Sink& write);

// One header line for a run's results, and a line for each result; with
// `builds`, each line also has the nearest and best builds' columns, and
// with `pairs` the parts of each of their resistors.
std::string csv_header(const Result& first, bool builds, bool pairs);
std::string csv_row(const Result& r, bool builds, bool pairs);
// Where a pad holds, as two columns: the frequency and "to", "never" or
// "beyond 1 THz"; both empty when there is no part model.
void add_holds(std::string& line, const std::optional<Holds>& h);

// The same for what `s` asks: with a part model, how far up the pad holds;
// with a sweep, a line for each frequency, the design's columns first and
// then each set of values' response there.
std::string csv_header(const Result& first, const Settings& s);
bool csv_rows(const Result& r, const Settings& s, const Sink& write);

} // namespace padcalc
