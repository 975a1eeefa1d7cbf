// Quantities as engineers write them: 50, 600., 1e3, SI prefixes (1k,
// 2.2M, 100m), the resistor code (4k7, 4K7, 2R2), a unit (50ohm, 10dB,
// 250mW, 30dBm) and a sign. Always with a full stop for the decimal point,
// whatever the locale. Each reader gives the value, or why the text was
// refused, in words fit to follow the text in a message.
#pragma once

#include "decimal.h"
#include "expected.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace padcalc {

// What the user is told of an entry that was refused: its name, the text
// as typed and why, as in "Z1 '5O': not a resistance in ohms: ...".
std::string entry_refusal(std::string_view name, std::string_view text, std::string_view reason);

// Reads an entry with `parse`; a refusal's reason is then entry_refusal's
// message, naming the entry.
template <typename T>
Expected<T> read_entry(Expected<T> (*parse)(std::string_view), std::string_view name,
                       std::string_view text) {
    Expected<T> parsed = parse(text);
    if (!parsed)
        return Refusal{entry_refusal(name, text, parsed.reason()), std::string(name)};
    return parsed;
}

// Resistance or impedance in ohms: a number, an optional SI prefix (p, n,
// u, µ, m, k or K, M, G) and an optional "ohm", "ohms", "R" or "Ω"; or the
// resistor code, a prefix or R in place of the decimal point (4k7, 2R2),
// which takes no unit after it. Any sign and size: whether the value can
// make a network is the design's to say.
Expected<double> parse_ohms(std::string_view text);

// A loss in dB: a number with an optional "dB".
Expected<double> parse_decibels(std::string_view text);

// A frequency in hertz: a number with an optional prefix and "Hz" (1M, 1MHz).
Expected<double> parse_hertz(std::string_view text);

// The power available from the source: in watts with an optional prefix and
// the unit (1W, 250mW), or in dBm (30dBm); a plain number could be either,
// so it is refused. Finite and greater than 0 W.
Expected<double> parse_power(std::string_view text);

// The power each resistor may dissipate: as parse_power, but a rating is
// quoted in watts, so a plain number (0.25) or prefix (250m) is watts too.
Expected<double> parse_rating(std::string_view text);

// The resistors' tolerance in percent, with an optional "%": from 0 to
// below 100.
Expected<double> parse_tolerance(std::string_view text);

// An inductance in henries or a capacitance in farads: a number, an
// optional prefix (f, p, n, u, µ, m) and an optional "H" or "F" (0.4nH,
// 50f, 0.1pF); the prefix moves the decimal point, so 0.4n is the double
// nearest 0.4e-9.
Expected<double> parse_henries(std::string_view text);
Expected<double> parse_farads(std::string_view text);

// A voltage: a number with an optional prefix and "V" (50, 50V, 500mV, 1kV).
Expected<double> parse_volts(std::string_view text);

// A temperature in degrees Celsius: a number with an optional "C" or "°C".
Expected<double> parse_celsius(std::string_view text);

// The losses to design for: one, or a sweep from FROM to TO in steps of
// STEP. Each loss of a sweep is the double nearest to FROM plus a whole
// number of steps, worked out exactly in decimal on the numbers as written,
// and the last is the last not beyond TO.
struct Losses {
    Decimal from;
    Decimal step; // zero for one loss
    long count = 1;
    double at(long i) const;
};

// The most losses one sweep may give.
constexpr long max_sweep_count = 10'000'000;

// A loss, or a sweep FROM:TO:STEP. A sweep's STEP is greater than 0 and
// finite, TO is not below FROM, the losses are finite, and there are at most
// max_sweep_count of them. A single loss may be of any sign or size.
Expected<Losses> parse_losses(std::string_view text);

// The sweep from FROM to TO in steps of STEP, as parse_losses makes it. The
// numbers' digits must lie within 1000 places of the decimal point, which
// bounds the work of placing each loss exactly.
Expected<Losses> loss_sweep(const Decimal& from, const Decimal& to, const Decimal& step);

// The most frequencies one list may have.
constexpr int max_frequency_count = 1'000'000;

// The frequencies of START:STOP:POINTS, in hertz: POINTS of them, evenly
// spaced on a log scale, from START to STOP with both included; one point
// when START and STOP are equal. They are finite and strictly ascending.
Expected<std::vector<double>> parse_frequencies(std::string_view text);

// The frequencies from `start` to `stop` hertz at `points` points, as
// parse_frequencies makes them.
Expected<std::vector<double>> frequency_sweep(double start, double stop, int points);

} // namespace padcalc
