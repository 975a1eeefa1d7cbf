// What was asked of a design, besides the network and its entries: the
// format, the builds, tolerance, power, the exports, and the parts at
// radio frequencies.
#pragma once

#include "band.h"
#include "part_model.h"
#include "preferred.h"

#include <optional>
#include <string>
#include <vector>

namespace padcalc {

enum class Format { text, json, csv, spice };

struct Settings {
    Format format = Format::text;
    bool ascii = false;                  // plain ASCII text, with "ohm" for the ohm sign
    std::optional<Series> series;        // build from preferred values of this series
    bool pairs = false;                  // a resistor may be two preferred values
    bool nearest = false;                // export the nearest build, not the best
    std::optional<double> tolerance;     // percent, for the builds' spread
    std::optional<double> power;         // watts available from the source
    std::optional<double> rating;        // watts each resistor may dissipate
    std::string spice_name;              // the subcircuit's name, if given
    std::string touchstone;              // the file to write S-parameters to, if any
    std::vector<double> frequencies;     // the Touchstone file's and the sweep's, in Hz
    bool sweep = false;                  // the response at each of `frequencies` in the report
    std::optional<PartModel> part_model; // each resistor at radio frequencies, if given
    std::string package;                 // the size whose values it takes, if any
    Limits limits;                       // where the pad holds
    bool compare = false;                // how far up each network holds
};

} // namespace padcalc
