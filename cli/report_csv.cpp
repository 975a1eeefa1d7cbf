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

// A build's columns: its resistors' totals, loss and merit, named after it.
std::string build_columns(const Result& first, std::string_view which) {
    std::string line;
    for (const ResistorRole& resistor : first.design.network->resistors)
        line += "," + std::string(which) + "_" + std::string(resistor.name);
    return line + "," + std::string(which) + "_loss_db," + std::string(which) + "_merit";
}

void add_build(std::string& line, const Result& r, const std::optional<BuildResult>& b) {
    if (!b) { // a design that cannot be built has no build
        line += std::string(r.design.network->resistors.size() + 2, ',');
        return;
    }
    for (const Choice& c : b->build.resistors)
        add_figure(line, c.ohms);
    add_figure(line, b->build.analysis.loss);
    add_figure(line, b->build.merit);
}

} // namespace

std::string csv_header(const Result& first, bool builds) {
    std::string line = "network,z1,z2,loss_db,min_loss_db,buildable";
    for (const ResistorRole& resistor : first.design.network->resistors)
        line += "," + std::string(resistor.name);
    if (first.analysis)
        line += check_columns;
    if (builds)
        line += build_columns(first, "nearest") + build_columns(first, "best");
    return line + "\n";
}

std::string csv_row(const Result& r, bool builds) {
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
        add_build(line, r, r.nearest);
        add_build(line, r, r.best);
    }
    return line + "\n";
}

} // namespace padcalc
