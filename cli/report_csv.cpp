// The CSV report: a header line, then a line for each design or check. A
// figure that is not finite is left empty.

#include "report.h"

#include "design/export_text.h"

#include <cmath>

namespace padcalc {
namespace {

constexpr const char* check_columns =
    ",z_in,z_out,return_loss_in_db,return_loss_out_db,vswr_in,vswr_out";

void add_figure(std::string& line, double value) {
    line += ',';
    if (std::isfinite(value))
        line += exact_number(value);
}

// A build's columns: its resistors' totals, with `pairs` each one's two
// parts (the second empty for a single value), then loss and merit, named
// after it.
std::string build_columns(const Result& first, std::string_view which, bool pairs) {
    std::string line;
    std::string prefix = "," + std::string(which) + "_";
    for (const ResistorRole& resistor : first.design.network->resistors)
        line += prefix + std::string(resistor.name);
    if (pairs)
        for (const ResistorRole& resistor : first.design.network->resistors)
            line += prefix + std::string(resistor.name) + "_1" + prefix +
                    std::string(resistor.name) + "_2";
    return line + prefix + "loss_db" + prefix + "merit";
}

void add_build(std::string& line, const Result& r, const std::optional<BuildResult>& b,
               bool pairs) {
    if (!b) { // a design that cannot be built has no build
        line += std::string(r.design.network->resistors.size() * (pairs ? 3 : 1) + 2, ',');
        return;
    }
    for (const Choice& c : b->build.resistors)
        add_figure(line, c.ohms);
    if (pairs)
        for (const Choice& c : b->build.resistors) {
            add_figure(line, c.parts[0]);
            line += ',';
            if (c.parts.size() > 1)
                line += exact_number(c.parts[1]);
        }
    add_figure(line, b->build.analysis.loss);
    add_figure(line, b->build.merit);
}

} // namespace

std::string csv_header(const Result& first, bool builds, bool pairs) {
    std::string line = "network,z1,z2,loss_db,min_loss_db,buildable";
    for (const ResistorRole& resistor : first.design.network->resistors)
        line += "," + std::string(resistor.name);
    if (first.analysis)
        line += check_columns;
    if (builds)
        line += build_columns(first, "nearest", pairs) + build_columns(first, "best", pairs);
    return line + "\n";
}

std::string csv_row(const Result& r, bool builds, bool pairs) {
    const Design& d = r.design;
    std::string line(d.network->id);
    add_figure(line, d.zone);
    add_figure(line, d.ztwo);
    add_figure(line, r.analysis ? r.analysis->loss : d.loss);
    add_figure(line, d.min_loss);
    line += d.buildable ? ",true" : ",false";
    for (double ohms : d.resistors)
        add_figure(line, ohms);
    if (const auto& a = r.analysis) {
        for (double figure :
             {a->z_in, a->z_out, a->return_loss_in, a->return_loss_out, a->vswr_in, a->vswr_out})
            add_figure(line, figure);
    }
    if (builds) {
        add_build(line, r, r.nearest, pairs);
        add_build(line, r, r.best, pairs);
    }
    return line + "\n";
}

} // namespace padcalc
