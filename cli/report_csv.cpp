// The CSV report: a header line, then a line for each design or check. A
// figure that is not finite is left empty.

#include "report.h"

#include "design/export_text.h"

#include <cmath>
#include <optional>

namespace padcalc {
namespace {

constexpr const char* check_columns =
    ",z_in,z_out,return_loss_in_db,return_loss_out_db,vswr_in,vswr_out";

void add_figure(std::string& line, double value) {
    line += ',';
    if (std::isfinite(value))
        append_exact_number(line, value);
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
            for (const char* part : {"_1", "_2"})
                line.append(prefix).append(resistor.name).append(part);
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

constexpr const char* sweep_columns = "loss_db,return_loss_in_db,return_loss_out_db,s21_deg";

void add_point(std::string& line, const Point& p) {
    for (double figure : {p.loss, p.return_loss_in, p.return_loss_out, p.s21_deg})
        add_figure(line, figure);
}

} // namespace

void add_holds(std::string& line, const std::optional<Holds>& h) {
    static constexpr const char* kinds[] = {"to", "never", "beyond 1 THz"};
    if (!h) {
        line += ",,";
        return;
    }
    line += ",";
    if (h->kind == Holds::Kind::to)
        line += exact_number(h->hz);
    line += "," + std::string(kinds[static_cast<int>(h->kind)]);
}

std::string csv_header(const Result& first, const Settings& s) {
    bool builds = s.series.has_value();
    std::string line = csv_header(first, builds, s.pairs);
    line.pop_back();
    if (s.part_model) {
        line += ",holds_to_hz,holds";
        if (builds)
            line += ",nearest_holds_to_hz,nearest_holds,best_holds_to_hz,best_holds";
    }
    if (s.sweep) {
        line += ",freq_hz," + std::string(sweep_columns);
        if (builds)
            for (const char* which : {"nearest", "best"}) {
                for (const char* column :
                     {"loss_db", "return_loss_in_db", "return_loss_out_db", "s21_deg"})
                    line += "," + std::string(which) + "_sweep_" + column;
            }
    }
    return line + "\n";
}

bool csv_rows(const Result& r, const Settings& s, const Sink& write) {
    bool builds = s.series.has_value();
    std::string prefix = csv_row(r, builds, s.pairs);
    prefix.pop_back();
    if (s.part_model) {
        add_holds(prefix, r.holds);
        if (builds) {
            add_holds(prefix, r.nearest ? r.nearest->holds : std::nullopt);
            add_holds(prefix, r.best ? r.best->holds : std::nullopt);
        }
    }
    std::vector<Swept> sweeps = s.sweep ? swept(r) : std::vector<Swept>{};
    if (sweeps.empty()) { // a design that cannot be built has no response
        std::size_t empty = s.sweep ? 5 + (builds ? 8 : 0) : 0;
        return write(prefix + std::string(empty, ',') + "\n");
    }
    std::string block;
    for (double hz : s.frequencies) {
        block += prefix;
        add_figure(block, hz);
        for (Swept& swept : sweeps)
            add_point(block, swept.response.at(hz));
        if (sweeps.size() == 1 && builds) // no builds for this design
            block += std::string(8, ',');
        block += '\n';
        if (block.size() > 60000) {
            if (!write(block))
                return false;
            block.clear();
        }
    }
    return write(block);
}

std::string csv_header(const Result& first, bool builds, bool pairs) {
    std::string line = "network,z1,z2,loss_db,min_loss_db,buildable";
    for (const ResistorRole& resistor : first.design.network->resistors)
        line += "," + std::string(resistor.name);
    if (gives_port_figures(first))
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
    if (const Analysis* a = port_figures(r)) {
        for (double figure :
             {a->z_in, a->z_out, a->return_loss_in, a->return_loss_out, a->vswr_in, a->vswr_out})
            add_figure(line, figure);
    } else if (gives_port_figures(r)) {
        line += ",,,,,,"; // a loss that cannot be built, in a sweep
    }
    if (builds) {
        add_build(line, r, r.nearest, pairs);
        add_build(line, r, r.best, pairs);
    }
    return line + "\n";
}

} // namespace padcalc
