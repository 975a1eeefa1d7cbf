// What was asked of a design, besides the network and its entries: the
// format, the builds, tolerance, power and the exports.
#pragma once

#include "preferred.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace padcalc {

enum class Format { text, json, csv, spice };

struct Settings {
    Format format = Format::text;
    bool ascii = false;              // plain ASCII text, with "ohm" for the ohm sign
    std::optional<Series> series;    // build from preferred values of this series
    bool pairs = false;              // a resistor may be two preferred values
    bool nearest = false;            // export the nearest build, not the best
    std::optional<double> tolerance; // percent, for the builds' spread
    std::optional<double> power;     // watts available from the source
    std::optional<double> rating;    // watts each resistor may dissipate
    std::string spice_name;          // the subcircuit's name, if given
    std::string touchstone;          // the file to write S-parameters to, if any
    std::vector<double> frequencies; // the Touchstone file's, in Hz
};

// The Touchstone file's frequencies when none are given: START:STOP:POINTS.
inline constexpr std::string_view default_frequencies = "1MHz:1GHz:11";

// The options' values as the user typed them, before they are read.
struct OptionTexts {
    std::string series, tolerance, power, rating, name, touchstone, freq;
};

// An option refused: its name on the command line, and what the user is told.
struct OptionFault {
    std::string_view option; // "--power"
    std::string message;     // "--power '1 W': not a power: ..."
};

// Reads the typed values into `s`: the series, the tolerance, the power and
// its rating and the subcircuit's name, and the frequencies when a
// Touchstone file is asked for; an empty text leaves its setting as it is.
// Gives the first value refused, if any.
std::optional<OptionFault> read_options(const OptionTexts& t, Settings& s);

// The option without which `option` does nothing ("--series" for
// "--pairs"), both by the command line's names; empty when it needs none.
std::string_view needed_option(std::string_view option);

// The first option given without the one it needs, if any, with its
// message: "--rating requires --power". `given` says whether an option,
// named as on the command line, was given.
std::optional<OptionFault> unmet_need(const std::function<bool(std::string_view)>& given);

} // namespace padcalc
