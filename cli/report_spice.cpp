// The SPICE report: the pad as a subcircuit, with a header that says what
// it is and which values it holds.

#include "report.h"

#include "design/export_text.h"
#include "design/spice.h"

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
    return spice_subcircuit(build_circuit(d.network, exported_resistors(r, s)), name, header);
}

} // namespace padcalc
