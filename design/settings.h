// What was asked of a design, besides the network and its entries: the
// format, the builds, tolerance, power, the exports, and the parts at
// radio frequencies.
#pragma once

#include "band.h"
#include "load.h"
#include "part_model.h"
#include "preferred.h"

#include <functional>
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

// The options' values as the user typed them, before they are read; an
// empty text is an option not given.
struct OptionTexts {
    std::string series, tolerance, power, rating, name, touchstone, freq;
    std::string load, max_voltage, ambient, derate, stages, split;
    std::string ls, cp, cg, package, flat, match;
};

// An option refused: its name on the command line, and what the user is told.
struct OptionFault {
    std::string_view option; // "--power"
    std::string message;     // "--power '1 W': not a power: ..."
};

// Reads the typed values into `s`: the series, the tolerance, power and its
// ratings, the load, the subcircuit's name, the parts' model and where the
// pad holds, and the frequencies of the sweep (with --freq) or of the
// Touchstone file. An empty text leaves its setting as it is. Gives the
// first value refused, if any. The cascade's own options are not read here.
std::optional<OptionFault> read_options(const OptionTexts& t, Settings& s);

// The load, the voltage rating and the derating with temperature: the part
// of read_options that goes with --power.
std::optional<OptionFault> read_power_options(const OptionTexts& t, Settings& s);

// The option without which `option` does nothing ("--series" for
// "--pairs"), both by the command line's names; empty when it needs none.
std::string_view needed_option(std::string_view option);

// The first option given without the one it needs, if any, with its
// message: "--rating requires --power". `given` says whether an option,
// named as on the command line, was given.
std::optional<OptionFault> unmet_need(const std::function<bool(std::string_view)>& given);

} // namespace padcalc
