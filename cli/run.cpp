#include "run.h"

#include "design/export_text.h"
#include "output_file.h"
#include "reports/report.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <utility>

namespace padcalc {
namespace {

void say(const std::string& problem) { std::fprintf(stderr, "padcalc: %s\n", problem.c_str()); }

} // namespace

std::string touchstone_left(const std::string& path) {
    std::error_code none;
    bool there = path != "-" && std::filesystem::exists(path, none);
    return there ? path + " was left as it was" : "no Touchstone file was written";
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

void say_file_left(std::vector<Problem>& problems, std::string why, const std::string& path) {
    auto it = std::find_if(problems.begin(), problems.end(),
                           [&why](const Problem& p) { return p.text == why; });
    if (it == problems.end())
        return;
    std::string left = "; " + touchstone_left(path);
    it->text += left;
    it->run += left;
}

bool touchstone_written(const std::string& path, const TouchstoneText& text) {
    std::string problem = write_touchstone_file(path, text);
    if (!problem.empty())
        say(problem);
    return problem.empty();
}

void Run::add(const Design& d, std::optional<Analysis> analysis) {
    std::vector<Problem> problems;
    Result r = evaluate(d, s_, problems, analysis);
    if (!d.buildable)
        problems.insert(problems.begin(), "cannot be built: " + (analysis ? why_not_a_network(d)
                                                                          : why_unbuildable(d)));
    // A file of a pad that cannot be built, or whose response is not worked
    // out, helps nobody: none is written, and the reason says so.
    bool file = !s_.touchstone.empty() && makes_a_network(d);
    if (!s_.touchstone.empty() && !file)
        say_file_left(problems, d.buildable ? response_not_worked_out(d) : problems.front().text,
                      s_.touchstone);
    if (!problems.empty())
        status_ = 1;
    tell(d.loss, std::move(problems), !d.buildable);
    // The report first, and the file after it as it is worked out. The
    // Touchstone file on standard output takes the report's place.
    if (s_.touchstone != "-" && (s_.format != Format::spice || d.buildable))
        writer_.add(r);
    if (file)
        write_touchstone(r);
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
    writer_.flush(); // the report is there to read while the file is worked out
    if (!touchstone_written(s_.touchstone, [&](const Sink& write) {
            return write_touchstone_report(r, s_, write);
        }))
        status_ = 1;
}

int Run::finish() {
    for (const Streak& streak : streaks_)
        say_streak(streak);
    streaks_.clear();
    return writer_.finish(status_);
}

} // namespace padcalc
