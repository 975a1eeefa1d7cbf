#include "run.h"

#include "design/export_text.h"
#include "output_file.h"
#include "reports/report.h"

#include <algorithm>
#include <cstdio>

namespace padcalc {
namespace {

void say(const std::string& problem) { std::fprintf(stderr, "padcalc: %s\n", problem.c_str()); }

} // namespace

void Run::add(const Design& d, std::optional<Analysis> analysis) {
    std::vector<Problem> problems;
    Result r = evaluate(d, s_, problems, analysis);
    if (!d.buildable)
        problems.insert(problems.begin(), "cannot be built: " + (analysis ? why_not_a_network(d)
                                                                          : why_unbuildable(d)));
    if (!problems.empty())
        status_ = 1;
    tell(d.loss, std::move(problems), !d.buildable);
    if (!s_.touchstone.empty() && d.buildable) // a file of a pad that cannot be built helps nobody
        write_touchstone(r);
    // The Touchstone file on standard output takes the report's place.
    if (s_.touchstone != "-" && (s_.format != Format::spice || d.buildable))
        writer_.add(r);
}

// Says a design's problems; in a sweep, each once for a run of consecutive
// losses that have it. The first problem of a design that cannot be built
// is why.
void Run::tell(double loss, std::vector<Problem> problems, bool unbuilt) {
    if (!sweep_) {
        for (const Problem& problem : problems)
            say(problem.text);
        return;
    }
    std::vector<Streak> going;
    for (std::size_t i = 0; i < problems.size(); ++i) {
        bool why = unbuilt && i == 0;
        auto same = std::find_if(streaks_.begin(), streaks_.end(), [&](const Streak& s) {
            return s.unbuilt == why && s.problem.run == problems[i].run;
        });
        if (same == streaks_.end()) {
            going.push_back({std::move(problems[i]), why, loss, loss, 1});
            continue;
        }
        same->last = loss;
        ++same->count;
        going.push_back(std::move(*same));
        streaks_.erase(same);
    }
    for (const Streak& ended : streaks_)
        say_streak(ended);
    // In the order they began, the earliest first: the first loss is the
    // least, a sweep's losses rising.
    std::stable_sort(going.begin(), going.end(),
                     [](const Streak& a, const Streak& b) { return a.first < b.first; });
    streaks_ = std::move(going);
}

void Run::say_streak(const Streak& streak) const {
    const Problem& p = streak.problem;
    std::string joint = streak.unbuilt ? " " : ": ";
    if (streak.count == 1)
        say("loss " + exact_number(streak.first) + " dB" + joint + p.text);
    else
        say("losses " + exact_number(streak.first) + " to " + exact_number(streak.last) + " dB (" +
            std::to_string(streak.count) + " of " + std::to_string(total_) + ")" + joint + p.run);
}

void Run::write_touchstone(const Result& r) {
    std::string why = write_file_replacing(s_.touchstone, touchstone_report(r, s_));
    if (!why.empty()) {
        say("cannot write the Touchstone file: " + why);
        status_ = 1;
    }
}

int Run::finish() {
    for (const Streak& streak : streaks_)
        say_streak(streak);
    streaks_.clear();
    return writer_.finish(status_);
}

} // namespace padcalc
