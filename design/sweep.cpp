// Sweeps: the losses of FROM:TO:STEP placed exactly in decimal, and the
// frequencies of a Touchstone file.

#include "quantity.h"
#include "touchstone.h"

#include <algorithm>
#include <cmath>

namespace padcalc {
namespace {

// Whether the number's digits lie within 1000 places either side of the
// decimal point, so that a sum writes out at most 2000 digits.
bool within_places(const Decimal& number) {
    constexpr std::int64_t places = 1000;
    return number.is_zero() ||
           (number.exponent >= -places &&
            number.exponent + static_cast<std::int64_t>(number.digits.size()) <= places);
}

// The most whole steps that fit in `span`, known to be fewer than
// max_sweep_count: a search over the count, each guess checked exactly.
long steps_within(const Decimal& span, const Decimal& step) {
    long fits = 0;                   // fits * step <= span
    long too_many = max_sweep_count; // too_many * step > span
    while (too_many - fits > 1) {
        long guess = fits + (too_many - fits) / 2;
        if (step * static_cast<std::uint32_t>(guess) <= span)
            fits = guess;
        else
            too_many = guess;
    }
    return fits;
}

// A number as a whole count of 10^exponent, when that takes at most eleven
// digits: then FROM plus up to max_sweep_count steps fits in 64 bits.
std::optional<std::int64_t> as_whole(const Decimal& number, std::int64_t exponent) {
    if (number.is_zero())
        return 0;
    std::int64_t zeros = number.exponent - exponent;
    if (static_cast<std::int64_t>(number.digits.size()) + zeros > 11)
        return std::nullopt;
    std::int64_t whole = 0;
    for (char digit : number.digits)
        whole = whole * 10 + (digit - '0');
    for (; zeros > 0; --zeros)
        whole *= 10;
    return number.negative ? -whole : whole;
}

} // namespace

// Losses as most people write them, with a few digits, are worked out in
// 64-bit whole numbers; the rest digit by digit. Both are exact.
double Losses::at(long i) const {
    if (i == 0 || step.is_zero())
        return to_double(from);
    std::int64_t exponent = from.is_zero() ? step.exponent : std::min(from.exponent, step.exponent);
    std::optional<std::int64_t> first = as_whole(from, exponent);
    std::optional<std::int64_t> each = as_whole(step, exponent);
    if (first && each)
        return to_double(*first + i * *each, exponent);
    return to_double(from + step * static_cast<std::uint32_t>(i));
}

Expected<Losses> loss_sweep(const Decimal& from, const Decimal& to, const Decimal& step) {
    if (step <= Decimal{})
        return Refusal{"STEP must be greater than 0 dB"};
    if (to < from)
        return Refusal{"TO must not be below FROM"};
    if (!std::isfinite(to_double(step)))
        return Refusal{"STEP must be finite"};
    if (!within_places(from) || !within_places(to) || !within_places(step))
        return Refusal{"FROM, TO and STEP must have no digit beyond 1000 places either side of "
                       "the decimal point"};
    Decimal span = to + -from;
    if (step * static_cast<std::uint32_t>(max_sweep_count) <= span)
        return Refusal{"the sweep has more than 10,000,000 losses"};
    Losses losses{from, step, steps_within(span, step) + 1};
    if (!std::isfinite(losses.at(0)) || !std::isfinite(losses.at(losses.count - 1)))
        return Refusal{"the losses must be finite"};
    return losses;
}

Expected<std::vector<double>> frequency_sweep(double start, double stop, int points) {
    if (!(start > 0) || !std::isfinite(start))
        return Refusal{"START must be finite and greater than 0 Hz"};
    if (!std::isfinite(stop))
        return Refusal{"STOP must be finite"};
    if (stop < start)
        return Refusal{"STOP must not be below START"};
    if (stop == start && points > 1)
        return Refusal{"START and STOP are one frequency, which takes one point, not " +
                       std::to_string(points)};
    if (stop > start && points == 1)
        return Refusal{"one point cannot reach from START to STOP: make them equal, or give "
                       "two points or more"};
    std::vector<double> hz = log_frequencies(start, stop, points);
    for (std::size_t i = 1; i < hz.size(); ++i)
        if (!(hz[i] > hz[i - 1]) || !std::isfinite(hz[i]))
            return Refusal{"START and STOP are too close for " + std::to_string(points) +
                           " distinct frequencies"};
    return hz;
}

} // namespace padcalc
