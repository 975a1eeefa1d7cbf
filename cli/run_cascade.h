// The cascade command's run: the stages worked out, their problems said on
// standard error, and the report written.
#pragma once

#include "design/network.h"
#include "design/settings.h"

#include <optional>

namespace padcalc {

// Cascades `network` between `z` with `loss` dB in all, in `stages` stages,
// or the fewest that keep within the ratings when there is no number. Gives
// the exit status: 0, or 1 when no cascade will do, one cannot be built, has
// a problem, or its output cannot be written.
int run_cascade(Network network, double z, double loss, std::optional<int> stages,
                const Settings& s);

} // namespace padcalc
