#include "run_cascade.h"

#include "design/report.h"
#include "output.h"
#include "output_file.h"
#include "report.h"

#include <nlohmann/json.hpp>

#include <cstdio>

namespace padcalc {
namespace {

void say(const std::string& problem) { std::fprintf(stderr, "padcalc: %s\n", problem.c_str()); }

std::string report(const CascadeResult& c, const Settings& s) {
    switch (s.format) {
    case Format::text:
        return text_report(c, s.ascii);
    case Format::json:
        return json_report(c).dump(2) + "\n";
    case Format::csv:
        return csv_report(c, s.series.has_value(), s.pairs);
    case Format::spice:
        break;
    }
    return spice_report(c, s);
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
    std::vector<std::string> problems;
    CascadeResult c = evaluate_cascade(network, z, loss, *stages, s, problems);
    for (const Result& r : c.stages)
        if (!r.design.buildable) {
            problems.insert(problems.begin(), "cannot be built: " + why_unbuildable(r.design));
            break;
        }
    for (const std::string& problem : problems)
        say(problem);
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
        out.write(report(c, s));
    return finish(out, status);
}

} // namespace padcalc
