// A problem the user is told of that is not a design's own: a value outside
// the preferred range, a part over its rating, a power too large to work
// out. A sweep says each once for a run of consecutive losses that have it.
#pragma once

#include <string>
#include <utility>

namespace padcalc {

struct Problem {
    // In full, for one design: "no E24 build: R3 would be 0.0625 ohm,
    // outside the preferred values' range of 0.1 ohm to 10 Mohm".
    std::string text;
    // In words that hold for each loss of a run, without the figures that
    // change from one to the next: "no E24 build: R3 would be below the
    // preferred values' range of 0.1 ohm to 10 Mohm". Consecutive losses
    // whose problems read the same here have one problem.
    std::string run;

    // A problem whose words are the same for every loss.
    Problem(std::string words) : text(words), run(std::move(words)) {} // NOLINT(*-explicit-*)
    Problem(std::string text, std::string run) : text(std::move(text)), run(std::move(run)) {}

    // The same, its words after `before` ("stage 2: ").
    Problem after(const std::string& before) const { return {before + text, before + run}; }
};

} // namespace padcalc
