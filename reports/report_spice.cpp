// The exports for simulators: the pad as a SPICE subcircuit, with a header
// that says what it is and which values it holds, and its S-parameters.

#include "report.h"

#include "design/export_text.h"
#include "design/spice.h"
#include "design/touchstone.h"

#include <fmt/format.h>

namespace padcalc {
namespace {

// The part model in a comment line: its values exactly, and the package.
std::string model_line(const Result& r) {
    const PartModel& m = *r.part_model;
    std::string line = "part model: Ls " + exact_number(m.ls) + " H, Cp " + exact_number(m.cp) +
                       " F, Cg " + exact_number(m.cg) + " F";
    return r.package.empty() ? line : line + " (" + r.package + " values)";
}

} // namespace

namespace {

// What the export holds, for its header: "Unbalanced Tee pad", but "L-pad"
// and "Minimal Loss Pad (Balanced)" as they stand, since they name a pad.
std::string what_pad(const NetworkInfo& n) {
    std::string title(n.title);
    bool named = title.find("pad") != std::string::npos || title.find("Pad") != std::string::npos;
    return named ? title : title + " pad";
}

} // namespace

std::string spice_report(const Result& r, const Settings& s, long sweep_index) {
    const Design& d = r.design;
    const NetworkInfo& n = *d.network;
    std::string name = default_spice_name(d.network, d.zone, d.ztwo, d.loss);
    if (!s.spice_name.empty())
        name = sweep_index > 0 ? s.spice_name + "_" + std::to_string(sweep_index) : s.spice_name;
    std::string least = fmt::format("least loss for these impedances {:.3f} dB", d.min_loss);
    std::string entries =
        "Z1 " + exact_number(d.zone) + " ohm, Z2 " + exact_number(d.ztwo) + " ohm";
    if (!n.min_loss)
        entries += ", loss " + exact_number(d.loss) + " dB";
    std::vector<std::string> header = {"padcalc: " + what_pad(n), entries, least,
                                       "values: " + exported_values(r, s)};
    if (!r.part_model)
        return spice_subcircuit(exported_circuit(r, s), name, header);
    header.push_back(model_line(r));
    return spice_subcircuit(exported_circuit(r, s), name, header, *r.part_model);
}

namespace {

// The comment lines of a design's Touchstone file.
std::vector<std::string> touchstone_header(const Result& r, const Settings& s) {
    std::vector<std::string> header = {"padcalc: " + what_pad(*r.design.network) + ", " +
                                       exported_values(r, s)};
    if (r.part_model)
        header.push_back(model_line(r));
    return header;
}

} // namespace

std::string touchstone_report(const Result& r, const Settings& s) {
    const Design& d = r.design;
    Response response = exported_response(r, s);
    return touchstone(response, d.zone, d.ztwo, s.frequencies, touchstone_header(r, s));
}

std::optional<double> write_touchstone_report(const Result& r, const Settings& s,
                                              const Sink& write) {
    const Design& d = r.design;
    Response response = exported_response(r, s);
    return write_touchstone(response, d.zone, d.ztwo, s.frequencies, touchstone_header(r, s),
                            write);
}

namespace {

// The header of a cascade's exports: what it is and which values it holds.
std::vector<std::string> cascade_header(const CascadeResult& c, const Settings& s) {
    std::string split = c.split == Split::dissipation ? "each stage dissipating the same power"
                                                      : "each stage the same loss";
    std::string losses;
    for (const Result& r : c.stages) {
        losses += (losses.empty() ? "" : ", ") + fmt::format("{:.4f}", r.design.loss);
    }
    return {"padcalc: cascade of " + std::to_string(c.stages.size()) + " " +
                std::string(c.network->title) + " pads",
            "Z " + exact_number(c.z) + " ohm, loss " + exact_number(c.loss) + " dB, " + split,
            "stage losses (dB): " + losses,
            "values: " + exported_values(c.stages.front(), s) + " of each stage"};
}

} // namespace

std::string spice_report(const CascadeResult& c, const Settings& s) {
    std::string name = s.spice_name;
    if (name.empty())
        name = default_spice_name(c.network, c.z, c.z, c.loss) + "_" +
               std::to_string(c.stages.size()) + "STAGES";
    std::vector<std::string> header = cascade_header(c, s);
    const Result& first = c.stages.front();
    if (!first.part_model)
        return spice_cascade(exported_circuits(c, s), name, header);
    header.push_back(model_line(first));
    return spice_cascade(exported_circuits(c, s), name, header, *first.part_model);
}

std::optional<double> write_touchstone_report(const CascadeResult& c, const Settings& s,
                                              const Sink& write) {
    std::vector<std::string> header = cascade_header(c, s);
    const Result& first = c.stages.front();
    if (!first.part_model) {
        Analysis a = analyse(cascade_chain(exported_circuits(c, s)), c.z, c.z);
        return write_touchstone(a, c.z, c.z, s.frequencies, header, write);
    }
    header.push_back(model_line(first));
    Response response = exported_response(c, s);
    return write_touchstone(response, c.z, c.z, s.frequencies, header, write);
}

} // namespace padcalc
