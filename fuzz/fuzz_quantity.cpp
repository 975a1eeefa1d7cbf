// The command line's quantities: every reader takes any text and comes back
// with a value or a reason, in bounded time and memory; a sweep it accepts
// is ascending, within its cap, and its last loss is not beyond TO, nor the
// next step within it.

#include "design/quantity.h"

#include <cmath>
#include <cstdint>
#include <string_view>

namespace {

using padcalc::Expected;

template <typename T> void expect_reason(const Expected<T>& parsed) {
    if (!parsed && parsed.reason().empty())
        __builtin_trap();
}

void check_sweep(std::string_view text) {
    Expected<padcalc::Losses> losses = padcalc::parse_losses(text);
    expect_reason(losses);
    if (!losses || losses->count == 1)
        return;
    long last = losses->count - 1;
    if (losses->count > padcalc::max_sweep_count || !std::isfinite(losses->at(0)) ||
        !std::isfinite(losses->at(last)) || losses->at(1) < losses->at(0) ||
        losses->at(last) < losses->at(last - 1))
        __builtin_trap();
    // TO is what follows the first colon, up to the second.
    std::size_t first = text.find(':');
    std::string_view to = text.substr(first + 1, text.find(':', first + 1) - first - 1);
    Expected<padcalc::Losses> end = padcalc::parse_losses(to);
    padcalc::Decimal beyond = losses->from + losses->step * static_cast<std::uint32_t>(last + 1);
    padcalc::Decimal at_last = losses->from + losses->step * static_cast<std::uint32_t>(last);
    if (!end || at_last > end->from || !(beyond > end->from))
        __builtin_trap();
}

void check_frequencies(std::string_view text) {
    Expected<std::vector<double>> hz = padcalc::parse_frequencies(text);
    expect_reason(hz);
    if (!hz)
        return;
    for (std::size_t i = 0; i < hz->size(); ++i)
        if (!std::isfinite((*hz)[i]) || !((*hz)[i] > 0) || (i > 0 && !((*hz)[i] > (*hz)[i - 1])))
            __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    expect_reason(padcalc::parse_ohms(text));
    expect_reason(padcalc::parse_decibels(text));
    expect_reason(padcalc::parse_hertz(text));
    expect_reason(padcalc::parse_power(text));
    expect_reason(padcalc::parse_rating(text));
    expect_reason(padcalc::parse_tolerance(text));
    check_sweep(text);
    check_frequencies(text);
    return 0;
}
