// What was asked of a design, besides the network and its entries: the
// format, the builds, tolerance, power, the exports, and the parts at
// radio frequencies.
#pragma once

#include "band.h"
#include "load.h"
#include "part_model.h"
#include "preferred.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace padcalc {

enum class Format { text, json, csv, spice };

// A power rating holds in full up to the knee and falls linearly to nothing
// at the limit, in degrees Celsius: the common figures of thick-film chip
// resistors by default.
struct Derating {
    double knee = 70;
    double limit = 155;
};

// How a cascade shares its loss among its stages.
enum class Split { dissipation, equal };

struct Settings {
    Format format = Format::text;
    bool ascii = false;                 // plain ASCII text, with "ohm" for the ohm sign
    std::optional<Series> series;       // build from preferred values of this series
    bool pairs = false;                 // a resistor may be two preferred values
    bool nearest = false;               // export the nearest build, not the best
    std::optional<double> tolerance;    // percent, for the builds' spread
    std::optional<double> power;        // watts available from the source
    std::optional<double> rating;       // watts each resistor may dissipate
    std::vector<Load> loads = {Load{}}; // at the far port, one case each: matched by default
    std::optional<double> max_voltage;  // RMS volts each resistor may have across it
    std::optional<double> ambient;      // degrees Celsius, for the rating's derating
    Derating derating;
    Split split = Split::dissipation;    // a cascade's
    std::optional<int> stages;           // a cascade's; none for the fewest that hold
    std::string spice_name;              // the subcircuit's name, if given
    std::string touchstone;              // the file to write S-parameters to, if any
    std::vector<double> frequencies;     // the Touchstone file's, in Hz
    bool sweep = false;                  // the response at each of `frequencies` in the report
    std::optional<PartModel> part_model; // each resistor at radio frequencies, if given
    std::string package;                 // the size whose values it takes, if any
    Limits limits;                       // where the pad holds
    bool compare = false;                // how far up each network holds
};

// The Touchstone file's frequencies when none are given: START:STOP:POINTS.
inline constexpr std::string_view default_frequencies = "1MHz:1GHz:11";

} // namespace padcalc
