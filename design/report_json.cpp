// The JSON report: one object for a design or a check. Numbers are written
// so that they read back to the same double; a figure that is not finite
// (the return loss of a perfect match) is written as null.

#include "report.h"

#include <nlohmann/json.hpp>

namespace padcalc {
namespace {

using Json = nlohmann::ordered_json;

Json flow_json(const Power& p, const PowerFlow& flow) {
    Json out = Json::object();
    for (std::size_t i = 0; i < p.parts.size(); ++i)
        out[p.parts[i]] = flow.parts[i];
    out["load"] = flow.load;
    return out;
}

Json power_json(const Power& p) {
    Json out;
    out["available_w"] = p.available;
    out["fed_inward"] = flow_json(p, p.inward);
    out["fed_outward"] = flow_json(p, p.outward);
    if (p.rating) {
        out["rating_w"] = *p.rating;
        Json over = Json::array();
        for (std::size_t i = 0; i < p.parts.size(); ++i)
            if (p.over_rating(i))
                over.push_back(p.parts[i]);
        out["over_rating"] = over;
    }
    return out;
}

void add_figures(Json& out, const Analysis& a) {
    out["z_in"] = a.z_in;
    out["z_out"] = a.z_out;
    out["return_loss_in_db"] = a.return_loss_in;
    out["return_loss_out_db"] = a.return_loss_out;
    out["vswr_in"] = a.vswr_in;
    out["vswr_out"] = a.vswr_out;
}

Json build_json(const NetworkInfo& n, const BuildResult& b) {
    static constexpr const char* joined[] = {"single", "series", "parallel"};
    Json resistors = Json::object();
    for (std::size_t i = 0; i < n.resistors.size(); ++i) {
        const Choice& c = b.build.resistors[i];
        resistors[std::string(n.resistors[i].name)] = {
            {"ohms", c.ohms}, {"parts", c.parts}, {"joined", joined[static_cast<int>(c.joined)]}};
    }
    Json out;
    out["resistors"] = resistors;
    out["loss_db"] = b.build.analysis.loss;
    add_figures(out, b.build.analysis);
    out["merit"] = b.build.merit;
    if (const auto& t = b.tolerance)
        out["tolerance"] = {{"percent", t->percent},
                            {"loss_db", {t->loss_low, t->loss_high}},
                            {"worst_return_loss_in_db", t->worst_return_loss_in},
                            {"worst_return_loss_out_db", t->worst_return_loss_out}};
    if (b.power)
        out["power"] = power_json(*b.power);
    return out;
}

} // namespace

Json json_report(const Result& r) {
    const Design& d = r.design;
    const NetworkInfo& n = *d.network;
    Json resistors = Json::object();
    for (std::size_t i = 0; i < n.resistors.size(); ++i)
        resistors[std::string(n.resistors[i].name)] = d.resistors[i];
    Json out;
    out["network"] = n.id;
    out["z1"] = d.zone;
    out["z2"] = d.ztwo;
    out["loss_db"] = r.analysis ? r.analysis->loss : d.loss;
    out["min_loss_db"] = d.min_loss;
    out["buildable"] = d.buildable;
    out["resistors"] = resistors;
    if (r.analysis)
        add_figures(out, *r.analysis);
    if (r.power)
        out["power"] = power_json(*r.power);
    if (r.best) {
        out["build"] = {{"series", series_name(*r.series)},
                        {"nearest", build_json(n, *r.nearest)},
                        {"best", build_json(n, *r.best)}};
    }
    return out;
}

} // namespace padcalc
