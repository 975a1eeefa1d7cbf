#include "run.h"

#include "design/export_text.h"
#include "output_file.h"
#include "reports/report.h"

#include <cstdio>

namespace padcalc {
namespace {

void say(const std::string& problem) { std::fprintf(stderr, "padcalc: %s\n", problem.c_str()); }

} // namespace

void Run::add(const Design& d, std::optional<Analysis> analysis) {
    std::vector<std::string> problems;
    Result r = evaluate(d, s_, problems, analysis);
    if (d.buildable)
        say_unbuilt();
    else if (analysis)
        problems.insert(problems.begin(), "cannot be built: " + why_not_a_network(d));
    else
        cannot_build(d.loss, why_unbuildable(d));
    for (const std::string& problem : problems)
        say(problem);
    if (!problems.empty() || !d.buildable)
        status_ = 1;
    if (!s_.touchstone.empty() && d.buildable) // a file of a pad that cannot be built helps nobody
        write_touchstone(r);
    // The Touchstone file on standard output takes the report's place.
    if (s_.touchstone != "-" && (s_.format != Format::spice || d.buildable))
        writer_.add(r);
}

void Run::cannot_build(double loss, const std::string& why) {
    if (unbuilt_.count > 0 && why != unbuilt_.why)
        say_unbuilt();
    if (unbuilt_.count == 0)
        unbuilt_ = {why, loss, loss, 0};
    unbuilt_.last = loss;
    ++unbuilt_.count;
}

void Run::say_unbuilt() {
    const Unbuilt& u = unbuilt_;
    if (u.count == 0)
        return;
    if (!sweep_)
        say("cannot be built: " + u.why);
    else if (u.count == 1)
        say("loss " + exact_number(u.first) + " dB cannot be built: " + u.why);
    else
        say("losses " + exact_number(u.first) + " to " + exact_number(u.last) + " dB (" +
            std::to_string(u.count) + " of " + std::to_string(total_) +
            ") cannot be built: " + u.why);
    unbuilt_.count = 0;
}

void Run::write_touchstone(const Result& r) {
    std::string why = write_file_replacing(s_.touchstone, touchstone_report(r, s_));
    if (!why.empty()) {
        say("cannot write the Touchstone file: " + why);
        status_ = 1;
    }
}

int Run::finish() {
    say_unbuilt();
    return writer_.finish(status_);
}

} // namespace padcalc
