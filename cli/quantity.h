// Numbers as engineers write them on a command line: 50, 600., 1e3, SI
// prefixes (1k, 2.2M, 100m), the resistor code (4k7, 2R2), a unit (50ohm,
// 10dB, 250mW, 30dBm) and a sign. Always with a full stop for the decimal
// point, whatever the locale.
#pragma once

#include <optional>
#include <string_view>

namespace padcalc {

// Resistance or impedance in ohms: a number, an optional SI prefix (p, n, u,
// µ, m, k, M, G) or resistor code, and an optional "ohm", "ohms", "R" or "Ω".
std::optional<double> parse_ohms(std::string_view text);

// A loss in dB: a number with an optional "dB".
std::optional<double> parse_decibels(std::string_view text);

// Power in watts: a number with a prefix and "W" (1W, 250mW), or in dBm.
std::optional<double> parse_watts(std::string_view text);

// A frequency in hertz: a number with a prefix and an optional "Hz" (1M, 1MHz).
std::optional<double> parse_hertz(std::string_view text);

// An inductance in henries or a capacitance in farads: a number, an optional
// prefix (f, p, n, u, µ, m) and an optional "H" or "F" (0.4nH, 50f, 0.1pF).
std::optional<double> parse_henries(std::string_view text);
std::optional<double> parse_farads(std::string_view text);

// A percentage: a number with an optional "%".
std::optional<double> parse_percent(std::string_view text);

// The losses to design for: one, or a sweep from FROM to TO, both included,
// in steps of STEP. Each is FROM plus a whole number of steps, so no
// rounding error is carried from one to the next.
struct Losses {
    double from = 0;
    double step = 0;
    long count = 1;
    double at(long i) const { return from + static_cast<double>(i) * step; }
};

// The most losses one sweep may give.
constexpr long max_sweep_count = 10'000'000;

// A loss, or a sweep FROM:TO:STEP. Empty when the text is neither, or the
// sweep runs backwards or has more than max_sweep_count losses.
std::optional<Losses> parse_losses(std::string_view text);

} // namespace padcalc
