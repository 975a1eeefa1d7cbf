// Standard output for the command line's reports, written in blocks.
#pragma once

#include "design/settings.h"
#include "report.h"

#include <string>
#include <string_view>

namespace padcalc {

// Standard output, in blocks; the first write that fails is remembered, with
// why, so that lost output never passes for success.
class Output {
  public:
    // Holds the text, writing what is held in blocks; false once any write
    // has failed, when the rest need not be worked out.
    bool write(std::string_view text);
    // Writes what is held; false if any write so far has failed.
    bool flush();
    bool failed() const { return error_ != 0; }
    // Why the first failed write failed, as an errno value; 0 if none has.
    int error() const { return error_; }

  private:
    void note_failure(); // keeps why, from errno, if it is the first failure

    std::string buffer_;
    int error_ = 0;
};

// Ends a run: when the output did not all reach its destination, says so
// and gives 1, else `status`.
int finish(Output& out, int status);

// Writes each result of a run in the chosen format: a sweep's JSON is one
// array, its CSV one table, and its SPICE one subcircuit for each loss.
class Writer {
  public:
    Writer(const Settings& s, bool sweep) : s_(s), sweep_(sweep) {}
    // Writes the result, stopping at the first failed write.
    void add(const Result& r);
    // Writes what is held, so that it comes before what follows elsewhere.
    void flush() { out_.flush(); }
    // Whether output has been lost: the rest of a run need not be worked out.
    bool failed() const { return out_.failed(); }
    int finish(int status);

  private:
    const Settings& s_;
    bool sweep_;
    long count_ = 0;
    Output out_;
};

} // namespace padcalc
