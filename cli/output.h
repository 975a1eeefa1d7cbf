// Standard output for the command line's reports, written in blocks.
#pragma once

#include "design/settings.h"
#include "report.h"

#include <string>
#include <string_view>

namespace padcalc {

// Standard output, in blocks; a write that fails is remembered, so that lost
// output never passes for success.
class Output {
  public:
    void write(std::string_view text);
    // Writes what is held; false if any write so far has failed.
    bool flush();

  private:
    std::string buffer_;
    bool failed_ = false;
};

// Ends a run: when the output did not all reach its destination, says so
// and gives 1, else `status`.
int finish(Output& out, int status);

// Writes each result of a run in the chosen format: a sweep's JSON is one
// array, its CSV one table, and its SPICE one subcircuit for each loss.
class Writer {
  public:
    Writer(const Settings& s, bool sweep) : s_(s), sweep_(sweep) {}
    void add(const Result& r);
    int finish(int status);

  private:
    const Settings& s_;
    bool sweep_;
    long count_ = 0;
    Output out_;
};

} // namespace padcalc
