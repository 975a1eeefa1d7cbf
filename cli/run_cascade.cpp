#include "run_cascade.h"

#include "output.h"
#include "report.h"
#include "reports/report.h"
#include "run.h"

#include <nlohmann/json.hpp>

#include <cstdio>

namespace padcalc {
namespace {

void say(const std::string& problem) { std::fprintf(stderr, "padcalc: %s\n", problem.c_str()); }

// The report in the chosen format; with --freq, the text and JSON give the
// whole cascade's response, a block at a time, up to the first failed write.
void report(const CascadeResult& c, const Settings& s, Output& out) {
    Sink write = [&out](std::string_view text) { return out.write(text); };
    switch (s.format) {
    case Format::text:
        if (out.write(text_report(c, s.ascii)) && s.sweep && c.analysable()) {
            Response whole = exported_response(c, s);
            text_sweep("whole cascade, the " + exported_values(c.stages.front(), s) +
                           " of each stage",
                       whole, s, write);
        }
        return;
    case Format::json:
        if (write_json_report(c, s, write))
            out.write("\n");
        return;
    case Format::csv:
        out.write(csv_report(c, s));
        return;
    case Format::spice:
        out.write(spice_report(c, s));
        return;
    }
}

// What is said when the Touchstone file asked for is not written: added to
// the problem that says why.
std::string left(const Settings& s) {
    return s.touchstone.empty() ? "" : "; " + touchstone_left(s.touchstone);
}

// The problem that says why the whole cascade's response is not worked out:
// the first stage beyond the analysis's range.
std::string unanalysed(const CascadeResult& c) {
    for (std::size_t k = 0; k < c.stages.size(); ++k)
        if (!makes_a_network(c.stages[k].design))
            return "stage " + std::to_string(k + 1) + ": " +
                   response_not_worked_out(c.stages[k].design);
    return "";
}

} // namespace

int run_cascade(Network network, double z, double loss, std::optional<int> stages,
                const Settings& s) {
    if (!stages) {
        std::string why;
        stages = fewest_stages(network, z, loss, s, why);
        if (!stages) {
            say(why + left(s));
            return 1;
        }
    }
    std::vector<Problem> problems;
    CascadeResult c = evaluate_cascade(network, z, loss, *stages, s, problems);
    if (!c.buildable())
        problems.insert(problems.begin(), "cannot be built: " + why_unbuildable(c));
    // A file of a cascade that cannot be built, or whose response is not
    // worked out, helps nobody: none is written, and the reason says so.
    bool file = !s.touchstone.empty() && c.analysable();
    if (!file && !s.touchstone.empty())
        say_file_left(problems, c.buildable() ? unanalysed(c) : problems.front().text,
                      s.touchstone);
    for (const Problem& problem : problems)
        say(problem.text);
    int status = problems.empty() ? 0 : 1;
    // The report first, and the file after it as it is worked out. The
    // Touchstone file on standard output takes the report's place.
    Output out;
    if (s.touchstone != "-" && (s.format != Format::spice || c.buildable()))
        report(c, s, out);
    if (file) {
        out.flush(); // the report is there to read while the file is worked out
        if (!touchstone_written(s.touchstone, [&](const Sink& write) {
                return write_touchstone_report(c, s, write);
            }))
            status = 1;
    }
    return finish(out, status);
}

} // namespace padcalc
