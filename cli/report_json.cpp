// The JSON report: one object for a design or a check. Numbers are written
// so that they read back to the same double; a figure that is not finite
// (the return loss of a perfect match) is written as null.

#include "report.h"

#include <nlohmann/json.hpp>

namespace padcalc {

nlohmann::ordered_json json_report(const Result& r) {
    const Design& d = r.design;
    const NetworkInfo& n = info(d.network);
    nlohmann::ordered_json resistors = nlohmann::ordered_json::object();
    for (std::size_t i = 0; i < n.resistors.size(); ++i)
        resistors[std::string(n.resistors[i].name)] = d.resistors[i];
    nlohmann::ordered_json out;
    out["network"] = n.id;
    out["z1"] = d.zone;
    out["z2"] = d.ztwo;
    out["loss_db"] = r.analysis ? r.analysis->loss : d.loss;
    out["min_loss_db"] = d.min_loss;
    out["buildable"] = d.buildable;
    out["resistors"] = resistors;
    if (const auto& a = r.analysis) {
        out["z_in"] = a->z_in;
        out["z_out"] = a->z_out;
        out["return_loss_in_db"] = a->return_loss_in;
        out["return_loss_out_db"] = a->return_loss_out;
        out["vswr_in"] = a->vswr_in;
        out["vswr_out"] = a->vswr_out;
    }
    return out;
}

} // namespace padcalc
