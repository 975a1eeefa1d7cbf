// The JSON report: one object for a design or a check. Numbers are written
// so that they read back to the same double; a figure that is not finite
// (the return loss of a perfect match) is written as null.

#include "report.h"

#include "design/export_text.h"

#include <nlohmann/json.hpp>

#include <cmath>

namespace padcalc {
namespace {

using Json = nlohmann::ordered_json;

// Each part's figure, and the load's, by name.
Json by_part(const Power& p, const std::vector<double>& parts, double load) {
    Json out = Json::object();
    for (std::size_t i = 0; i < p.parts.size(); ++i)
        out[p.parts[i]] = parts[i];
    out["load"] = load;
    return out;
}

void add_flows(Json& out, const Power& p, const LoadCase& c) {
    out["fed_inward"] = by_part(p, c.inward.parts, c.inward.load);
    out["fed_outward"] = by_part(p, c.outward.parts, c.outward.load);
    out["volts_inward"] = by_part(p, c.inward.volts, c.inward.load_volts);
    out["volts_outward"] = by_part(p, c.outward.volts, c.outward.load_volts);
}

// One load's figures, shaped as the power object of a single load.
Json case_json(const Power& p, const LoadCase& c, bool named) {
    Json out;
    out["available_w"] = p.available;
    if (named)
        out["load"] = load_name(c.load);
    add_flows(out, p, c);
    if (c.load.kind == Load::Kind::vswr)
        out["worst_phase_deg"] = {
            {"fed_inward", by_part(p, c.inward.phase, c.inward.load_phase)},
            {"fed_outward", by_part(p, c.outward.phase, c.outward.load_phase)}};
    return out;
}

// The names of the parts over a limit.
Json names_over(const Power& p, bool (Power::*over)(std::size_t) const) {
    Json names = Json::array();
    for (std::size_t i = 0; i < p.parts.size(); ++i)
        if ((p.*over)(i))
            names.push_back(p.parts[i]);
    return names;
}

Json power_json(const Power& p) {
    const LoadCase& first = p.cases.front();
    Json out;
    if (p.cases.size() == 1) {
        out = case_json(p, first, first.load.kind != Load::Kind::matched);
    } else {
        out["available_w"] = p.available;
        Json cases = Json::object();
        for (const LoadCase& c : p.cases)
            cases[load_name(c.load)] = case_json(p, c, false);
        out["cases"] = cases;
        Json worst;
        add_flows(worst, p, p.worst);
        out["worst"] = worst;
    }
    if (p.rating) {
        out["rating_w"] = *p.rating;
        if (p.derated) {
            out["ambient_c"] = *p.ambient;
            out["derated_rating_w"] = *p.derated;
        }
        out["over_rating"] = names_over(p, &Power::over_rating);
    }
    if (p.max_voltage) {
        out["max_voltage_v"] = *p.max_voltage;
        out["over_voltage"] = names_over(p, &Power::over_voltage);
    }
    return out;
}

// How far up it holds: "holds_to_hz" a number, or null with "holds" saying
// why; "holds_limit" names the limit reached first.
void add_holds(Json& out, const Holds& h) {
    static constexpr const char* limits[] = {"loss_db", "return_loss_in_db", "return_loss_out_db"};
    out["holds_to_hz"] = h.kind == Holds::Kind::to ? Json(h.hz) : Json(nullptr);
    out["holds"] = h.kind == Holds::Kind::to      ? "to"
                   : h.kind == Holds::Kind::never ? "never"
                                                  : "beyond 1 THz";
    if (h.kind != Holds::Kind::beyond)
        out["holds_limit"] = limits[static_cast<int>(h.limit)];
}

Json part_model_json(const Result& r) {
    Json out;
    out["ls_h"] = r.part_model->ls;
    out["cp_f"] = r.part_model->cp;
    out["cg_f"] = r.part_model->cg;
    out["package"] = r.package.empty() ? Json(nullptr) : Json(r.package);
    out["flat_db"] = r.limits.flat_db;
    out["match_db"] = r.limits.match_db;
    return out;
}

Json compare_json(const std::vector<Compared>& compare) {
    Json out = Json::array();
    for (const Compared& c : compare) {
        Json entry;
        entry["network"] = c.network->id;
        add_holds(entry, c.holds);
        entry.erase("holds_limit");
        out.push_back(entry);
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
    if (b.holds)
        add_holds(out, *b.holds);
    return out;
}

// The place of a sweep in the JSON text, to be replaced by the sweep itself.
std::string marker(std::size_t i) { return "@@padcalc sweep " + std::to_string(i) + "@@"; }

std::string number(double value) { return std::isfinite(value) ? exact_number(value) : "null"; }

std::string pair(Complex c) { return "[" + number(c.real()) + ", " + number(c.imag()) + "]"; }

// One frequency's figures as an object on one line.
std::string point_json(const Point& p) {
    return "{\"freq_hz\": " + number(p.hz) + ", \"loss_db\": " + number(p.loss) +
           ", \"return_loss_in_db\": " + number(p.return_loss_in) +
           ", \"return_loss_out_db\": " + number(p.return_loss_out) +
           ", \"s21_deg\": " + number(p.s21_deg) + ", \"s11\": " + pair(p.s.s11) +
           ", \"s21\": " + pair(p.s.s21) + ", \"s12\": " + pair(p.s.s12) +
           ", \"s22\": " + pair(p.s.s22) + "}";
}

// The sweep's array, its lines indented to sit where its marker was; false
// once a piece is refused.
bool write_sweep(Response& response, const std::vector<double>& hz, const std::string& indent,
                 const Sink& write) {
    std::string block = "[";
    for (std::size_t i = 0; i < hz.size(); ++i) {
        block += (i ? ",\n  " : "\n  ") + indent + point_json(response.at(hz[i]));
        if (block.size() > 60000) {
            if (!write(block))
                return false;
            block.clear();
        }
    }
    return write(block + (hz.empty() ? "]" : "\n" + indent + "]"));
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
    if (const Analysis* a = port_figures(r))
        add_figures(out, *a);
    if (r.power)
        out["power"] = power_json(*r.power);
    if (r.part_model) {
        out["part_model"] = part_model_json(r);
        if (r.holds)
            add_holds(out, *r.holds);
    }
    if (r.best) {
        out["build"] = {{"series", series_name(*r.series)},
                        {"nearest", build_json(n, *r.nearest)},
                        {"best", build_json(n, *r.best)}};
    }
    if (!r.compare.empty())
        out["compare"] = compare_json(r.compare);
    return out;
}

Json json_report(const CascadeResult& c) {
    Json out;
    out["network"] = c.network->id;
    out["z"] = c.z;
    out["loss_db"] = c.loss;
    Json stages = Json::array();
    for (std::size_t k = 0; k < c.stages.size(); ++k) {
        Json stage = json_report(c.stages[k]);
        stage["dissipated_fraction"] = c.dissipated[k];
        stages.push_back(stage);
    }
    out["stages"] = stages;
    if (c.built)
        out["build"] = {{"loss_db", c.built->loss},
                        {"return_loss_in_db", c.built->return_loss_in},
                        {"return_loss_out_db", c.built->return_loss_out}};
    if (c.holds)
        add_holds(out, *c.holds);
    return out;
}

namespace {

void append_json(std::string& text, const Json& value, int indent);

// The members of an object or the elements of an array, each on a line of
// its own indented two more than the brackets.
template <typename Each>
void append_members(std::string& text, const Json& value, int indent, char open, char close,
                    Each each) {
    text += open;
    if (value.empty()) {
        text += close;
        return;
    }
    std::string inner(static_cast<std::size_t>(indent) + 2, ' ');
    bool first = true;
    for (auto it = value.begin(); it != value.end(); ++it) {
        text += (first ? "\n" : ",\n") + inner;
        first = false;
        each(it);
    }
    text += '\n' + std::string(static_cast<std::size_t>(indent), ' ') + close;
}

// A JSON value as text, laid out two spaces an indent; every number as the
// exports write it, the shortest text that reads back to the same double.
void append_json(std::string& text, const Json& value, int indent) {
    switch (value.type()) {
    case Json::value_t::object:
        append_members(text, value, indent, '{', '}', [&](auto it) {
            text += Json(it.key()).dump() + ": ";
            append_json(text, it.value(), indent + 2);
        });
        return;
    case Json::value_t::array:
        append_members(text, value, indent, '[', ']',
                       [&](auto it) { append_json(text, *it, indent + 2); });
        return;
    case Json::value_t::number_float:
        text += number(value.get<double>());
        return;
    default: // strings, whole numbers, truth values and null, as JSON has them
        text += value.dump();
        return;
    }
}

// `out` as text with each sweep written where its marker is, a block at a
// time: a million frequencies are never held at once. False once a piece is
// refused, where it stops.
bool write_with_sweeps(const Json& out, std::vector<Swept>& sweeps, const Settings& s,
                       const Sink& write) {
    std::string text;
    append_json(text, out, 0);
    std::string_view rest = text;
    // The markers in the order the text has them.
    for (std::size_t left = sweeps.size(); left > 0; --left) {
        std::size_t at = std::string_view::npos;
        std::size_t which = 0;
        for (std::size_t i = 0; i < sweeps.size(); ++i) {
            std::size_t found = rest.find("\"" + marker(i) + "\"");
            if (found < at) {
                at = found;
                which = i;
            }
        }
        std::size_t line = rest.rfind('\n', at) + 1;
        std::size_t first = rest.find_first_not_of(' ', line);
        if (!write(rest.substr(0, at)) || !write_sweep(sweeps[which].response, s.frequencies,
                                                       std::string(first - line, ' '), write))
            return false;
        rest.remove_prefix(at + marker(which).size() + 2);
    }
    return write(rest);
}

} // namespace

bool write_json_report(const Result& r, const Settings& s, const Sink& write) {
    Json out = json_report(r);
    std::vector<Swept> sweeps = s.sweep ? swept(r) : std::vector<Swept>{};
    for (std::size_t i = 0; i < sweeps.size(); ++i) {
        if (sweeps[i].key.empty())
            out["sweep"] = marker(i);
        else
            out["build"][sweeps[i].key]["sweep"] = marker(i);
    }
    return write_with_sweeps(out, sweeps, s, write);
}

bool write_json_report(const CascadeResult& c, const Settings& s, const Sink& write) {
    Json out = json_report(c);
    std::vector<Swept> sweeps;
    if (s.sweep && c.analysable()) {
        sweeps.push_back({exported_values(c.stages.front(), s), "", exported_response(c, s)});
        out["sweep"] = marker(0);
    }
    return write_with_sweeps(out, sweeps, s, write);
}

} // namespace padcalc
