// The page's one way into the design library: a JSON request in, a JSON
// reply out, so that the page needs no knowledge of C++ types.
//
//   {"op":"networks"}   the networks: ids, titles, entries, resistors, drawings
//   {"op":"design", "network":"tee", "z1":"50", "z2":"75", "loss":"10",
//    "series":"E24", "pairs":true, "nearest":false, "tolerance":"1",
//    "power":"1W", "rating":"0.25W"}
//   {"op":"check", "network":"pi", "z1":"50", "z2":"50",
//    "resistors":["96.25","96.25","71.15"], "power":"1W", "rating":"0.25W"}
//   {"op":"export", "format":"json|spice|touchstone", "of":"design|check",
//    "name":"PAD", "freq":"1MHz:1GHz:11", and the entries of a design or check}
//
// Every entry is text as the user typed it, and each option given is an
// option given on the command line: a text left empty, or a flag that is
// false, is not given. Entries and options are read, and refused, as the
// command line reads them, in its words. The reply is {"ok":true, ...}, or
// {"ok":false, "field":"z1", "error":"Z1 'x': not a resistance ..."} naming
// the entry at fault; a design that cannot be built also carries its least
// loss.

#include "design/circuit.h"
#include "design/export_text.h"
#include "design/figures.h"
#include "design/network.h"
#include "design/part_model.h"
#include "design/quantity.h"
#include "design/spice.h"
#include "options/options.h"
#include "reports/report.h"

#include <nlohmann/json.hpp>

#include <cctype>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

namespace padcalc {
namespace {

using Json = nlohmann::ordered_json;

// Where the plot of a part model's response goes when no frequencies are
// given: from where chip parts begin to matter to well past where most pads
// stop holding.
constexpr std::string_view plot_frequencies = "1MHz:100GHz:101";
constexpr std::size_t plot_points = 500;

// A request that cannot be answered, and the entry it concerns.
struct Fault {
    std::string field;
    std::string error;
    std::optional<double> min_loss;
};

constexpr const char* ohm = "\u03a9";

std::string ohms(double value) { return engineering(value, ohm, false); }

std::string decibels(double value, int decimals) { return fixed_point(value, decimals) + " dB"; }

bool positive_finite(double value) { return value > 0 && std::isfinite(value); }

// The page's name for an entry or a resistor: z1, z2, loss, r1...
std::string key_of(std::string_view name) {
    if (name == "Z")
        return "z1";
    std::string key;
    for (char c : name)
        key += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return key;
}

// A request being read. The first entry at fault is kept as the fault;
// what is read after it is not used. (Nothing throws: padcalc_call answers
// every request with a reply.)
class Request {
  public:
    explicit Request(const Json& json) : json_(json) {}

    bool refused() const { return fault_.has_value(); }
    const Fault& fault() const { return *fault_; }

    void refuse(std::string field, std::string error,
                std::optional<double> min_loss = std::nullopt) {
        if (!fault_)
            fault_ = Fault{std::move(field), std::move(error), min_loss};
    }

    // The entry as typed; a number sent as a number is taken as its text.
    std::string text(const char* key) const { return text_of(json_.find(key), json_.end()); }

    std::string text(const char* key, std::size_t index) const {
        auto list = json_.find(key);
        if (list == json_.end() || !list->is_array() || index >= list->size())
            return "";
        return text_of(list->begin() + static_cast<std::ptrdiff_t>(index), list->end());
    }

    bool flag(const char* key) const {
        auto it = json_.find(key);
        return it != json_.end() && it->is_boolean() && it->get<bool>();
    }

    // An entry read as the command line reads its argument of that name.
    template <typename T>
    std::optional<T> entry(Expected<T> (*parse)(std::string_view), const std::string& key,
                           std::string_view name, const std::string& typed) {
        Expected<T> parsed = read_entry(parse, name, typed);
        if (!parsed) {
            refuse(key, parsed.reason());
            return std::nullopt;
        }
        return *parsed;
    }

    double ohms_entry(const std::string& key, std::string_view name, const std::string& typed) {
        return entry(parse_ohms, key, name, typed).value_or(0);
    }

    Network network() {
        std::string id = text("network");
        Network n = find_network(id);
        if (!n)
            refuse("network", "'" + id + "': unknown network");
        return n;
    }

  private:
    template <class Iterator> static std::string text_of(Iterator it, Iterator end) {
        if (it == end || it->is_null())
            return "";
        if (it->is_string())
            return it->template get<std::string>();
        return it->dump();
    }

    const Json& json_;
    std::optional<Fault> fault_;
};

// The options a request gives, as the command line's, each by its key: the
// command line's name without the dashes. `format` is the export asked
// for, if any (json, spice or touchstone).
OptionTexts options_asked(const Request& q, bool check, const std::string& format) {
    OptionTexts t;
    for (const Option& o : options()) {
        // The page's files are its downloads: no format or file is typed.
        if (!(o.commands & (check ? for_check : for_design)) || o.format ||
            o.completes == Completes::files)
            continue;
        std::string key(o.name.substr(2));
        if (o.value.empty() ? q.flag(key.c_str()) : !q.text(key.c_str()).empty())
            t.give(o.name, o.value.empty() ? "on" : q.text(key.c_str()));
    }
    if (format == "touchstone" && !check)
        t.give("--touchstone", "-");
    if (format == "json" || format == "spice")
        t.give("--" + format, "on");
    return t;
}

// An option's fault is shown beside its own field: --power's beside "power".
std::string field_of(const Refusal& r) {
    return r.field.starts_with("--") ? r.field.substr(2) : key_of(r.field);
}

// The entries a design takes, in the order the page shows them.
Json entries_of(Network n) {
    auto about = [](std::string_view name) {
        return name == "Z"    ? "the impedance on both sides"
               : name == "Z1" ? "the inward impedance, of the source"
               : name == "Z2" ? "the outward impedance, of the load"
                              : "the loss";
    };
    Json entries = Json::array();
    for (std::string_view name : design_entries(n))
        entries.push_back({{"key", key_of(name)},
                           {"name", name},
                           {"unit", name == "LOSS" ? "dB" : ohm},
                           {"about", about(name)}});
    return entries;
}

// The options the page shows, from the one table: each by its key, with
// its field's label, its group, the example its help ends with, and which
// of a design and a check take it.
Json options_reply() {
    static constexpr const char* groups[] = {"", "builds", "power", "radio"};
    Json list = Json::array();
    for (const Option& o : options()) {
        if (o.group == PageGroup::none)
            continue;
        std::string_view help = o.help;
        std::size_t open = help.rfind('(');
        std::string example;
        if (help.ends_with(')') && open != std::string_view::npos)
            example = help.substr(open + 1, help.size() - open - 2);
        list.push_back({{"key", o.name.substr(2)},
                        {"label", o.label},
                        {"group", groups[static_cast<int>(o.group)]},
                        {"kind", o.value.empty()                      ? "flag"
                                 : o.completes == Completes::series   ? "series"
                                 : o.completes == Completes::packages ? "package"
                                                                      : "text"},
                        {"example", example},
                        {"needs", o.needs.empty() ? "" : o.needs.substr(2)},
                        {"design", (o.commands & for_design) != 0},
                        {"check", (o.commands & for_check) != 0}});
    }
    return list;
}

Json networks_reply() {
    Json networks = Json::array();
    for (const NetworkInfo& n : padcalc::networks()) {
        Json resistors = Json::array();
        for (const ResistorRole& r : n.resistors)
            resistors.push_back({{"key", key_of(r.name)}, {"name", r.name}, {"role", r.role}});
        networks.push_back({{"id", n.id},
                            {"title", n.title},
                            {"balanced", n.balanced},
                            {"min_loss", n.min_loss},
                            {"equal_impedances", n.equal_impedances},
                            {"outward_matched", n.outward_matched},
                            {"entries", entries_of(&n)},
                            {"resistors", resistors},
                            {"drawing", n.drawing}});
    }
    Json series = Json::array();
    for (Series s : all_series)
        series.push_back(series_name(s));
    Json sizes = Json::array();
    for (const Package& p : packages())
        sizes.push_back(p.size);
    return {{"ok", true},       {"networks", networks}, {"options", options_reply()},
            {"series", series}, {"packages", sizes},    {"frequencies", default_frequencies}};
}

// Which entry a design that cannot be built is shown beside.
std::string field_of_design(const Design& d) {
    if (!positive_finite(d.zone))
        return "z1";
    if (!positive_finite(d.ztwo) || d.network->min_loss)
        return "z2";
    return "loss";
}

std::string field_of_check(const Design& d) {
    if (!positive_finite(d.zone))
        return "z1";
    if (!positive_finite(d.ztwo))
        return "z2";
    for (std::size_t i = 0; i < d.resistors.size(); ++i)
        if (!positive_finite(d.resistors[i]))
            return key_of(d.network->resistors[i].name);
    return "";
}

// The entries of a design, in the command line's order: the impedances,
// then the loss, which the page takes one at a time.
Design read_design(Request& q) {
    Network n = q.network();
    if (!n)
        return {};
    std::vector<std::string_view> names = design_entries(n);
    double zone = q.ohms_entry("z1", names[0], q.text("z1"));
    double ztwo = n->equal_impedances ? zone : q.ohms_entry("z2", names[1], q.text("z2"));
    double loss = 0;
    if (!n->min_loss) {
        std::string typed = q.text("loss");
        std::optional<Losses> losses = q.entry(parse_losses, "loss", names.back(), typed);
        if (losses && typed.find(':') != std::string::npos)
            q.refuse("loss",
                     entry_refusal(names.back(), typed, "the page takes one loss, not a sweep"));
        loss = losses ? losses->at(0) : 0;
    }
    return design(n, zone, ztwo, loss);
}

Design read_check(Request& q) {
    Network n = q.network();
    if (!n)
        return {};
    double zone = q.ohms_entry("z1", "Z1", q.text("z1"));
    double ztwo = q.ohms_entry("z2", "Z2", q.text("z2"));
    std::vector<double> resistors;
    for (std::size_t i = 0; i < n->resistors.size(); ++i) {
        std::string_view name = n->resistors[i].name;
        resistors.push_back(q.ohms_entry(key_of(name), name, q.text("resistors", i)));
    }
    return checked_design(n, zone, ztwo, std::move(resistors));
}

// The worked-out design or check, and any problems that are not the design's
// own (a value outside the preferred range, a resistor over its rating).
struct Worked {
    Settings settings;
    Result result;
    Json problems = Json::array();
};

// Empty when the request is refused. Read in the command line's order:
// an option given without the one it needs, the entries, then the options'
// values.
std::optional<Worked> work_out(Request& q, bool check, const std::string& format = "") {
    Design d;
    Expected<Settings> settings =
        read_request(options_asked(q, check, format), [&]() -> Expected<> {
            d = check ? read_check(q) : read_design(q);
            return q.refused() ? Expected<>(Refusal{q.fault().error}) : Expected<>();
        });
    if (!settings)
        q.refuse(field_of(settings.refusal()), settings.reason());
    Worked w;
    if (settings)
        w.settings = *settings;
    if (!q.refused() && !d.buildable) {
        if (check)
            q.refuse(field_of_check(d), "cannot be built: " + why_not_a_network(d), d.min_loss);
        else
            q.refuse(field_of_design(d), "cannot be built: " + why_unbuildable(d), d.min_loss);
    }
    if (q.refused())
        return std::nullopt;
    std::optional<Analysis> analysis;
    if (check)
        analysis = analyse(d.network, d.resistors, d.zone, d.ztwo);
    std::vector<Problem> problems;
    w.result = evaluate(d, w.settings, problems, analysis);
    // A build that cannot be made concerns the series; the rest are ratings.
    for (const Problem& problem : problems)
        w.problems.push_back({{"field", problem.text.starts_with("no ") ? "series" : "rating"},
                              {"text", problem.text}});
    return w;
}

// What the page shows, in the text report's words and figures.

Json figures_view(const Analysis& a) {
    auto row = [](const char* label, std::string value) {
        return Json{{"label", label}, {"value", std::move(value)}};
    };
    return Json::array({row("Loss", decibels(a.loss, 4)), row("Input impedance", ohms(a.z_in)),
                        row("Input return loss", return_loss_text(a.return_loss_in) + " dB"),
                        row("Input VSWR", fixed_point(a.vswr_in, 4)),
                        row("Output impedance", ohms(a.z_out)),
                        row("Output return loss", return_loss_text(a.return_loss_out) + " dB"),
                        row("Output VSWR", fixed_point(a.vswr_out, 4))});
}

std::string watts(double value) { return engineering(value, "W", false); }
std::string volts(double value) { return engineering(value, "V", false); }

// The figures of one feed: each part's power and voltage with each load,
// and with several loads each part's worst; the load's last.
Json feed_table(const Power& p, Feed feed, const char* caption) {
    const PowerFlow LoadCase::*flow_of =
        feed == Feed::inward ? &LoadCase::inward : &LoadCase::outward;
    bool several = p.cases.size() > 1;
    Json headings = Json::array({"Part"});
    for (const LoadCase& c : p.cases)
        headings.push_back(several ? load_name(c.load) : "Power");
    if (several)
        headings.push_back("Worst");
    headings.push_back("Voltage");
    headings.push_back("");
    const PowerFlow& worst = p.worst.*flow_of;
    Json rows = Json::array();
    for (std::size_t i = 0; i <= p.parts.size(); ++i) {
        bool load = i == p.parts.size();
        Json cells = Json::array({load ? "load" : p.parts[i]});
        for (const LoadCase& c : p.cases) {
            const PowerFlow& flow = c.*flow_of;
            cells.push_back(watts(load ? flow.load : flow.parts[i]));
        }
        if (several)
            cells.push_back(watts(load ? worst.load : worst.parts[i]));
        cells.push_back(volts(load ? worst.load_volts : worst.volts[i]));
        std::string over = load ? "" : over_text(p, i, feed);
        cells.push_back(over);
        rows.push_back({{"cells", cells}, {"over", !over.empty()}});
    }
    return {{"caption", caption}, {"headings", headings}, {"rows", rows}};
}

Json power_view(const Power& p) {
    std::string loads = loads_text(p);
    Json view = {{"available", watts(p.available)},
                 {"loads", loads.empty() ? "the load matched" : loads},
                 {"tables", Json::array({feed_table(p, Feed::inward, "Fed inward"),
                                         feed_table(p, Feed::outward, "Fed outward")})}};
    if (p.derated)
        view["rating"] = derated_text(p, false);
    return view;
}

// The parts' model, where the pad holds and how far each network would.
Json radio_view(const Result& r, const Settings& s) {
    std::string model = part_model_text(*r.part_model, r.package, false);
    std::string limits = limits_text(r.limits, r.design.network->outward_matched);
    Json view = {{"model", model}, {"limits", limits}};
    if (r.holds)
        view["holds"] = "It " + holds_text(*r.holds, r.limits, false);
    Json compare = Json::array();
    for (const Compared& c : r.compare)
        compare.push_back({{"network", c.network->id},
                           {"title", c.network->title},
                           {"holds", holds_text(c.holds, r.limits, false)}});
    view["compare"] = compare;
    // The response of the design and of each build, to plot: at the
    // frequencies asked for, else over the band where chip parts matter.
    std::vector<double> hz = s.sweep ? s.frequencies : *parse_frequencies(plot_frequencies);
    // A plot needs no more points than it has pixels across: a long sweep is
    // drawn through every so many of its frequencies, both ends kept.
    if (std::size_t step = hz.size() / plot_points + 1; step > 1) {
        std::vector<double> drawn;
        for (std::size_t i = 0; i < hz.size(); i += step)
            drawn.push_back(hz[i]);
        if (drawn.back() != hz.back())
            drawn.push_back(hz.back());
        hz = std::move(drawn);
    }
    Json curves = Json::array();
    for (Swept& w : swept(r)) {
        Json points = Json::array();
        for (double f : hz) {
            Point p = w.response.at(f);
            points.push_back(Json::array({f, p.loss, p.return_loss_in, p.return_loss_out}));
        }
        curves.push_back({{"which", w.which}, {"points", points}});
    }
    view["curves"] = curves;
    return view;
}

Json build_view(const NetworkInfo& n, const Limits& limits, const char* which,
                const BuildResult& b) {
    Json resistors = Json::array();
    for (std::size_t i = 0; i < n.resistors.size(); ++i) {
        const Choice& c = b.build.resistors[i];
        std::string parts;
        if (c.joined != Joined::single)
            parts = ohms(c.parts[0]) + (c.joined == Joined::series ? " + " : " \u2016 ") +
                    ohms(c.parts[1]);
        resistors.push_back({{"name", n.resistors[i].name},
                             {"role", n.resistors[i].role},
                             {"value", ohms(c.ohms)},
                             {"parts", parts}});
    }
    Json view = {{"which", which},
                 {"merit", fixed_point(b.build.merit, 3)},
                 {"resistors", resistors},
                 {"figures", figures_view(b.build.analysis)}};
    if (const auto& t = b.tolerance)
        view["tolerance"] = {
            {"percent", exact_number(t->percent)},
            {"loss", fixed_point(t->loss_low, 4) + " to " + decibels(t->loss_high, 4)},
            {"return_loss_in", decibels(t->worst_return_loss_in, 2)},
            {"return_loss_out", decibels(t->worst_return_loss_out, 2)}};
    if (b.holds)
        view["holds"] = holds_text(*b.holds, limits, false);
    if (b.power)
        view["power"] = power_view(*b.power);
    return view;
}

Json result_view(const Result& r, const Settings& s) {
    const Design& d = r.design;
    const NetworkInfo& n = *d.network;
    Json resistors = Json::array();
    for (std::size_t i = 0; i < n.resistors.size(); ++i)
        resistors.push_back({{"name", n.resistors[i].name},
                             {"role", n.resistors[i].role},
                             {"value", ohms(d.resistors[i])}});
    Json view = {
        {"title", n.title}, {"least_loss", decibels(d.min_loss, 3)}, {"resistors", resistors}};
    if (n.min_loss && !r.analysis)
        view["pad_loss"] = decibels(d.loss, 3);
    if (const Analysis* a = port_figures(r))
        view["figures"] = figures_view(*a);
    if (r.power)
        view["power"] = power_view(*r.power);
    if (r.best) {
        view["series"] = series_name(*r.series);
        view["builds"] = Json::array({build_view(n, r.limits, "Nearest", *r.nearest),
                                      build_view(n, r.limits, "Best", *r.best)});
    }
    if (r.part_model)
        view["radio"] = radio_view(r, s);
    return view;
}

Json result_reply(Request& q, bool check) {
    std::optional<Worked> w = work_out(q, check);
    if (!w)
        return {};
    return {{"ok", true},
            {"report", json_report(w->result)},
            {"view", result_view(w->result, w->settings)},
            {"problems", w->problems}};
}

// The most frequencies a file from the page holds. The page builds the
// file in memory and hands it over as a string, a few copies at once; the
// JSON of a million frequencies with both builds is over a gigabyte, more
// than a browser gives a page. The command line streams up to 1,000,000.
constexpr std::size_t max_page_frequencies = 50'000;

// The file the command line would write with --json, --spice or
// --touchstone, named for the design as its subcircuit is named.
Json export_reply(Request& q) {
    std::string format = q.text("format");
    bool check = q.text("of") == "check";
    if (format != "json" && (check || (format != "spice" && format != "touchstone"))) {
        q.refuse("format", "no " + format + " export of a " + (check ? "check" : "design"));
        return {};
    }
    std::optional<Worked> w = work_out(q, check, format);
    if (!w)
        return {};
    const Design& d = w->result.design;
    const Settings& s = w->settings;
    if ((s.sweep || format == "touchstone") && s.frequencies.size() > max_page_frequencies) {
        q.refuse("freq", entry_refusal("--freq", q.text("freq"),
                                       "the page writes a file of at most 50,000 frequencies; the "
                                       "command line writes up to 1,000,000"));
        return {};
    }
    std::string base = check ? "padcalc-check-" + std::string(d.network->id)
                       : !s.spice_name.empty()
                           ? s.spice_name
                           : default_spice_name(d.network, d.zone, d.ztwo, d.loss);
    std::string text;
    std::string extension;
    if (format == "json") {
        write_json_report(w->result, s, [&text](std::string_view piece) {
            text += piece;
            return true;
        });
        text += "\n";
        extension = ".json";
    } else if (format == "spice") {
        text = spice_report(w->result, s, 0);
        extension = ".cir";
    } else {
        text = touchstone_report(w->result, s);
        extension = ".s2p";
    }
    return {
        {"ok", true}, {"filename", base + extension}, {"text", text}, {"problems", w->problems}};
}

Json fault_reply(const Fault& f) {
    Json out = {{"ok", false}, {"field", f.field}, {"error", f.error}};
    // A design that cannot be built: its least loss, null for impedances
    // that are not positive numbers.
    if (f.min_loss) {
        out["min_loss_db"] = *f.min_loss;
        if (std::isfinite(*f.min_loss))
            out["least_loss"] = decibels(*f.min_loss, 3);
    }
    return out;
}

Json answer(const char* request_text) {
    Json json = Json::parse(request_text ? request_text : "", nullptr, false);
    if (json.is_discarded() || !json.is_object())
        return fault_reply({"", "the request is not a JSON object", std::nullopt});
    Request q(json);
    std::string op = q.text("op");
    Json reply;
    if (op == "networks")
        reply = networks_reply();
    else if (op == "design" || op == "check")
        reply = result_reply(q, op == "check");
    else if (op == "export")
        reply = export_reply(q);
    else
        q.refuse("op", "'" + op + "': unknown op");
    return q.refused() ? fault_reply(q.fault()) : reply;
}

} // namespace
} // namespace padcalc

// The reply stays valid until the next call. Text that is not UTF-8 is
// replaced in the reply rather than refused.
extern "C" const char* padcalc_call(const char* request_json) {
    static std::string reply;
    reply =
        padcalc::answer(request_json).dump(-1, ' ', false, padcalc::Json::error_handler_t::replace);
    return reply.c_str();
}
