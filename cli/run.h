// One run of the command line: each design or check worked out, its
// problems said on standard error, and its report written.
#pragma once

#include "design/evaluate.h"
#include "design/export_text.h"
#include "output.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace padcalc {

// What is said when no Touchstone file is written to `path`: that the file
// there was left as it was, or where there is none, that none was written.
std::string touchstone_left(const std::string& path);

// Adds to the problem that reads `why` (the reason no file is written to
// `path`) that the file there was left as it was.
void say_file_left(std::vector<Problem>& problems, std::string why, const std::string& path);

// Writes the Touchstone file that `text` writes a block at a time, as
// write_touchstone_report does, to `path`, as it is worked out. Gives the
// problem to say, or an empty text: the file could not be written, or a
// frequency's figures are not worked out, when a file that would be replaced
// is left as it was.
using TouchstoneText = std::function<std::optional<double>(const Sink&)>;
std::string write_touchstone_file(const std::string& path, const TouchstoneText& text);
// The same, saying the problem on standard error; false if there was one.
bool touchstone_written(const std::string& path, const TouchstoneText& text);

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
