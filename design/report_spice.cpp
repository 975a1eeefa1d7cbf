// The exports for simulators: the pad as a SPICE subcircuit, with a header
// that says what it is and which values it holds, and its S-parameters.

#include "report.h"

#include "export_text.h"
#include "spice.h"
#include "touchstone.h"

#include <cstdio>

namespace padcalc {

std::string spice_report(const Result& r, const Settings& s, long sweep_index) {
    const Design& d = r.design;
    const NetworkInfo& n = *d.network;
    std::string name = default_spice_name(d.network, d.zone, d.ztwo, d.loss);
    if (!s.spice_name.empty())
        name = sweep_index > 0 ? s.spice_name + "_" + std::to_string(sweep_index) : s.spice_name;
    char least[80];
    std::snprintf(least, sizeof least, "least loss for these impedances %.3f dB", d.min_loss);
    std::string entries =
        "Z1 " + exact_number(d.zone) + " ohm, Z2 " + exact_number(d.ztwo) + " ohm";
    if (!n.min_loss)
        entries += ", loss " + exact_number(d.loss) + " dB";
    std::vector<std::string> header = {"padcalc: " + std::string(n.title) + " pad", entries, least,
                                       "values: " + exported_values(r, s)};
    return spice_subcircuit(exported_circuit(r, s), name, header);
}

std::string touchstone_report(const Result& r, const Settings& s) {
    const Design& d = r.design;
    Analysis a = analyse(exported_circuit(r, s), d.zone, d.ztwo);
    std::vector<std::string> header = {"padcalc: " + std::string(d.network->title) + " pad, " +
                                       exported_values(r, s)};
    return touchstone(a, d.zone, d.ztwo, s.frequencies, header);
}

} // namespace padcalc
