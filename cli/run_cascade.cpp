#include "run_cascade.h"

#include "output.h"
#include "output_file.h"
#include "report.h"
#include "reports/report.h"

#include <nlohmann/json.hpp>

#include <cstdio>

namespace padcalc {
namespace {

void say(const std::string& problem) { std::fprintf(stderr, "padcalc: %s\n", problem.c_str()); }

// The report in the chosen format; with --freq, the text and JSON give the
// whole cascade's response, a block at a time.
void report(const CascadeResult& c, const Settings& s, Output& out) {
    Sink write = [&out](std::string_view text) { out.write(text); };
    switch (s.format) {
    case Format::text:
        out.write(text_report(c, s.ascii));
        if (s.sweep && c.analysable()) {
            Response whole = exported_response(c, s);
            text_sweep("whole cascade, the " + exported_values(c.stages.front(), s) +
                           " of each stage",
                       whole, s, write);
        }
        return;
    case Format::json:
        write_json_report(c, s, write);
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

} // namespace

int run_cascade(Network network, double z, double loss, std::optional<int> stages,
                const Settings& s) {
    if (!stages) {
        std::string why;
        stages = fewest_stages(network, z, loss, s, why);
        if (!stages) {
            say(why);
            return 1;
        }
    }
    std::vector<Problem> problems;
    CascadeResult c = evaluate_cascade(network, z, loss, *stages, s, problems);
    if (!c.buildable())
        problems.insert(problems.begin(), "cannot be built: " + why_unbuildable(c));
    for (const Problem& problem : problems)
        say(problem.text);
    int status = problems.empty() ? 0 : 1;
    if (!s.touchstone.empty() && c.buildable()) {
        std::string why = write_file_replacing(s.touchstone, touchstone_report(c, s));
        if (!why.empty()) {
            say("cannot write the Touchstone file: " + why);
            status = 1;
        }
    }
    Output out;
    if (s.touchstone != "-" && (s.format != Format::spice || c.buildable()))
        report(c, s, out);
    return finish(out, status);
}

} // namespace padcalc
