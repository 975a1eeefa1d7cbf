#include "run.h"

#include "design/export_text.h"
#include "design/report.h"
#include "output_file.h"

#include <cstdio>
#include <utility>

namespace padcalc {
namespace {

void say(const std::string& problem) { std::fprintf(stderr, "padcalc: %s\n", problem.c_str()); }

} // namespace

std::string touchstone_left(const std::string& path) {
    return path == "-" ? "no Touchstone file was written" : path + " was left as it was";
}

std::string write_touchstone_file(const std::string& path, const TouchstoneText& text) {
    OutputFile file(path);
    auto not_worked_out = [&path](double hz, bool left) {
        return "the response at " + exact_number(hz) + " Hz is not worked out; " +
               (left ? touchstone_left(path)
                     : (path == "-" ? std::string("standard output") : path) +
                           " has the Touchstone file only up to there");
    };
    // A file written in place loses its old text once it is opened: the new
    // one is worked out whole first, and written only if it is good.
    if (file.overwritten_in_place())
        if (std::optional<double> hz = text([](std::string_view) { return true; }))
            return not_worked_out(*hz, true);
    if (std::string why = file.open(); !why.empty())
        return "cannot write the Touchstone file: " + why;
    if (std::optional<double> hz =
            text([&file](std::string_view piece) { return file.write(piece); })) {
        file.abandon();
        return not_worked_out(*hz, file.replaced_whole());
    }
    if (std::string why = file.finish(); !why.empty())
        return "cannot write the Touchstone file: " + why;
    return {};
}

bool touchstone_written(const std::string& path, const TouchstoneText& text) {
    std::string problem = write_touchstone_file(path, text);
    if (!problem.empty())
        say(problem);
    return problem.empty();
}

void Run::add(const Design& d, std::optional<Analysis> analysis) {
    std::vector<std::string> problems;
    Result r = evaluate(d, s_, problems, analysis);
    // A file of a pad that cannot be built, or whose response is not worked
    // out, helps nobody: none is written, and the reason says so.
    bool file = !s_.touchstone.empty() && makes_a_network(d);
    std::string left = s_.touchstone.empty() || file ? "" : "; " + touchstone_left(s_.touchstone);
    if (d.buildable) {
        say_unbuilt();
        for (std::string& problem : problems)
            if (!left.empty() && problem == response_not_worked_out(d))
                problem += std::exchange(left, "");
    } else if (analysis) {
        problems.insert(problems.begin(), "cannot be built: " + why_not_a_network(d));
    } else {
        cannot_build(d.loss, why_unbuildable(d) + left);
    }
    for (const std::string& problem : problems)
        say(problem);
    if (!problems.empty() || !d.buildable)
        status_ = 1;
    // The report first, and the file after it as it is worked out. The
    // Touchstone file on standard output takes the report's place.
    if (s_.touchstone != "-" && (s_.format != Format::spice || d.buildable))
        writer_.add(r);
    if (file)
        write_touchstone(r);
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
    writer_.flush(); // the report is there to read while the file is worked out
    if (!touchstone_written(s_.touchstone, [&](const Sink& write) {
            return write_touchstone_report(r, s_, write);
        }))
        status_ = 1;
}

int Run::finish() {
    say_unbuilt();
    return writer_.finish(status_);
}

} // namespace padcalc
