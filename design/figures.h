// Figures as people read them: in the command line's text report and on
// the page, alike.
#pragma once

#include "band.h"
#include "part_model.h"
#include "power.h"

#include <optional>
#include <string>
#include <string_view>

namespace padcalc {

// A value to four significant figures with the SI prefix of what it rounds
// to: "141.9 Ω", "4.700 kΩ", "520.0 mW", "2.000 fW", 999.96 as "1.000 k";
// past yocto and yotta, a power of ten ("9.999e-25 W").
// With `ascii`, micro is "u" rather than "µ".
std::string engineering(double value, std::string_view unit, bool ascii);

// A figure in a fixed number of decimals, with no sign when it rounds to
// zero; one that is not a finite number (the return loss of a perfect match,
// a resistor of a loss of 0 dB) is "-".
std::string fixed_point(double value, int decimals);
// A number as exact_number writes it, or "-" where it is not finite, as the
// text reports write a figure that cannot be worked out: an entry of 1e400.
std::string exact_figure(double value);
// A return loss to two decimals; a match too close to tell, at or beyond
// 300 dB (or exact, infinite), is "> 300", and one that is not a number "-".
std::string return_loss_text(double db);

// How far up a pad holds, in words: "holds to 2.345 GHz; above it the
// input return loss falls below 20 dB".
std::string holds_text(const Holds& h, const Limits& l, bool ascii);

// What part i is over, in words ("over its rating"), fed either way, or
// with `feed` fed that way only; empty when it is within its ratings.
std::string over_text(const Power& p, std::size_t i, std::optional<Feed> feed = std::nullopt);

// The loads of the power figures, after "available from the source, ":
// "the load open", "the load matched, open and shorted", "a load of VSWR
// 3:1 at each figure's worst phase"; empty for a matched load alone.
std::string loads_text(const Power& p);

// "Rating 250.0 mW, derated to 170.6 mW at 85 °C", or empty without an ambient.
std::string derated_text(const Power& p, bool ascii);

// The parts' model: "Each resistor with 0.4000 nH in series, 0.05000 pF
// across and 0 F to ground at each end (0402)".
std::string part_model_text(const PartModel& m, const std::string& package, bool ascii);

// The limits of the band: "Where the loss stays within 0.1 dB of DC and
// each return loss at or above 20 dB".
std::string limits_text(const Limits& l, bool outward_matched);

} // namespace padcalc
