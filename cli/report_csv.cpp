// The CSV report: a header line, then a line for each design or check. A
// figure that is not finite is left empty.

#include "report.h"

#include <cmath>

namespace padcalc {
namespace {

constexpr const char* check_columns =
    ",z_in,z_out,return_loss_in_db,return_loss_out_db,vswr_in,vswr_out";

void add_figure(std::string& line, double value) {
    line += ',';
    if (std::isfinite(value))
        line += exact(value);
}

} // namespace

std::string csv_header(const Result& first) {
    std::string line = "network,z1,z2,loss_db,min_loss_db,buildable";
    for (const ResistorRole& resistor : info(first.design.network).resistors)
        line += "," + std::string(resistor.name);
    if (first.analysis)
        line += check_columns;
    return line + "\n";
}

std::string csv_row(const Result& r) {
    const Design& d = r.design;
    std::string line(info(d.network).id);
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
    return line + "\n";
}

} // namespace padcalc
