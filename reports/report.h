// The reports that programs read, the same wherever they are asked for: a
// design or check as a JSON object, a SPICE subcircuit and a Touchstone file.
#pragma once

#include "design/cascade.h"
#include "design/export_text.h"

#include <nlohmann/json_fwd.hpp>

#include <optional>
#include <string>

namespace padcalc {

// One object for a design or a check. Numbers read back to the same double;
// a figure that is not finite is null.
nlohmann::ordered_json json_report(const Result& r);

// The object of json_report, and with `s.sweep` the response at each of
// s.frequencies as a "sweep" array, in it and in each build: written in
// pieces, so that a long sweep is never held whole. It stops at the first
// piece `write` refuses, and gives false then.
bool write_json_report(const Result& r, const Settings& s, const Sink& write);

// The subcircuit of the values that `s` says to export; a sweep's designs
// after the first take their index into a name given by `s`.
std::string spice_report(const Result& r, const Settings& s, long sweep_index);

// The Touchstone file of the values that `s` says to export, at its frequencies.
std::string touchstone_report(const Result& r, const Settings& s);
// The same written a block at a time as it is worked out, as
// write_touchstone writes it: it stops at the first block `write` refuses,
// or before the first frequency whose figures are not worked out, which it
// gives.
std::optional<double> write_touchstone_report(const Result& r, const Settings& s,
                                              const Sink& write);

// A cascade as one object: the network, its impedance, the total loss and
// each stage's design object with the fraction it dissipates; with builds,
// the loss and return losses of the cascade of the best builds.
nlohmann::ordered_json json_report(const CascadeResult& c);
// The same, and with `s.sweep` the whole cascade's response at each of
// `s.frequencies`, of the values the exports take.
bool write_json_report(const CascadeResult& c, const Settings& s, const Sink& write);
// The cascade as one subcircuit, and its Touchstone file as one two-port,
// written a block at a time as write_touchstone_report writes a design's.
std::string spice_report(const CascadeResult& c, const Settings& s);
std::optional<double> write_touchstone_report(const CascadeResult& c, const Settings& s,
                                              const Sink& write);

} // namespace padcalc
