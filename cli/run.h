// One run of the command line: each design or check worked out, its
// problems said on standard error, and its report written.
#pragma once

#include "design/evaluate.h"
#include "output.h"

#include <string>

namespace padcalc {

class Run {
  public:
    // `sweep` for losses written as a sweep, of which there are `total`.
    Run(const Settings& s, bool sweep, long total)
        : s_(s), writer_(s, sweep), sweep_(sweep), total_(total) {}

    // A design, or with `analysis` the figures of a check.
    void add(const Design& d, std::optional<Analysis> analysis = std::nullopt);
    // Whether standard output has been lost, so that nothing more is worth working out.
    bool failed() const { return writer_.failed(); }
    // Says what is still unsaid and gives the exit status: 0, or 1 if any
    // design could not be built, had a problem or could not be written.
    int finish();

  private:
    // A problem that a sweep's consecutive losses have (or the reason they
    // cannot be built), said in one line once the run ends.
    struct Streak {
        Problem problem;
        bool unbuilt = false;
        double first = 0;
        double last = 0;
        long count = 0;
    };
    void tell(double loss, std::vector<Problem> problems, bool unbuilt);
    void say_streak(const Streak& streak) const;
    void write_touchstone(const Result& r);

    const Settings& s_;
    Writer writer_;
    bool sweep_;
    long total_;
    int status_ = 0;
    std::vector<Streak> streaks_; // those of the last loss, in the order they began
};

} // namespace padcalc
