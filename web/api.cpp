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
// Every entry is text as the user typed it, read as the command line reads
// its arguments. The reply is {"ok":true, ...}, or {"ok":false, "field":
// "z1", "error":"cannot read Z1 'x'"} naming the entry at fault; a design
// that cannot be built also carries its least loss.

#include "cli/drawing.h"
#include "cli/evaluate.h"
#include "cli/quantity.h"
#include "cli/report.h"
#include "design/circuit.h"
#include "design/export_text.h"
#include "design/network.h"
#include "design/spice.h"
#include "design/touchstone.h"

#include <nlohmann/json.hpp>

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace padcalc {
namespace {

using Json = nlohmann::ordered_json;

// A request that cannot be answered, and the entry it concerns.
struct Refusal {
    std::string field;
    std::string error;
    std::optional<double> min_loss;
};

using Reader = std::optional<double> (*)(std::string_view);

constexpr const char* ohm = "\u03a9";
constexpr const char* default_frequencies = "1MHz:1GHz:11";

// A figure in a fixed number of decimals, as the text report writes it.
std::string fixed(double value, int decimals) {
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value < 0 ? "-inf" : "inf";
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string ohms(double value) { return engineering(value, ohm, false); }

bool positive_finite(double value) { return value > 0 && std::isfinite(value); }

std::string resistor_key(std::string_view name) {
    std::string key;
    for (char c : name)
        key += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return key;
}

// A request being read. The first entry at fault is kept as the refusal;
// what is read after it is not used. (The module is built without C++
// exceptions: in WebAssembly they would slow every call.)
class Request {
  public:
    explicit Request(const Json& json) : json_(json) {}

    bool refused() const { return refusal_.has_value(); }
    const Refusal& refusal() const { return *refusal_; }

    void refuse(std::string field, std::string error,
                std::optional<double> min_loss = std::nullopt) {
        if (!refusal_)
            refusal_ = Refusal{std::move(field), std::move(error), min_loss};
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

    double entry(Reader read, const std::string& text, const std::string& key,
                 const std::string& name) {
        std::optional<double> value = read(text);
        if (!value)
            refuse(key, "cannot read " + name + " '" + text + "'");
        return value.value_or(0);
    }

    double entry(Reader read, const char* key, const std::string& name) {
        return entry(read, text(key), key, name);
    }

    // An option left empty is not asked for; one given must be a finite
    // number, not negative, and above zero where zero means nothing.
    std::optional<double> option(Reader read, const char* key, bool positive) {
        std::string typed = text(key);
        if (typed.empty())
            return std::nullopt;
        std::optional<double> value = read(typed);
        if (!value || !std::isfinite(*value) || *value < 0 || (positive && *value == 0)) {
            refuse(key, "cannot read " + std::string(key) + " '" + typed + "'");
            return std::nullopt;
        }
        return value;
    }

    const NetworkInfo* network() {
        std::string id = text("network");
        const NetworkInfo* n = find_network(id);
        if (!n)
            refuse("network", "unknown network '" + id + "'");
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
    std::optional<Refusal> refusal_;
};

Settings read_settings(Request& q, bool builds) {
    Settings s;
    if (builds) {
        std::string series = q.text("series");
        if (!series.empty()) {
            s.series = find_series(series);
            if (!s.series)
                q.refuse("series",
                         "unknown series '" + series + "': E3, E6, E12, E24, E48, E96 or E192");
            s.pairs = q.flag("pairs");
            s.nearest = q.flag("nearest");
            s.tolerance = q.option(parse_percent, "tolerance", false);
        } else if (!q.text("tolerance").empty()) {
            q.refuse("tolerance", "a tolerance needs a series of preferred values");
        }
    }
    s.power = q.option(parse_watts, "power", true);
    s.rating = q.option(parse_watts, "rating", true);
    if (s.rating && !s.power)
        q.refuse("rating", "a rating needs the power available from the source");
    return s;
}

// The entries a design takes, in the order the page shows them.
Json entries_of(const NetworkInfo& n) {
    auto entry = [](const char* key, const char* name, const char* unit, const char* about) {
        return Json{{"key", key}, {"name", name}, {"unit", unit}, {"about", about}};
    };
    Json entries = Json::array();
    if (n.equal_impedances) {
        entries.push_back(entry("z1", "Z", ohm, "the impedance on both sides"));
    } else {
        entries.push_back(entry("z1", "Z1", ohm, "the inward impedance, of the source"));
        entries.push_back(entry("z2", "Z2", ohm, "the outward impedance, of the load"));
    }
    if (!n.min_loss)
        entries.push_back(entry("loss", "loss", "dB", "the loss"));
    return entries;
}

Json networks_reply() {
    Json networks = Json::array();
    for (Network network : all_networks) {
        const NetworkInfo& n = info(network);
        Json resistors = Json::array();
        for (const ResistorRole& r : n.resistors)
            resistors.push_back(
                {{"key", resistor_key(r.name)}, {"name", r.name}, {"role", r.role}});
        networks.push_back({{"id", n.id},
                            {"title", n.title},
                            {"balanced", n.balanced},
                            {"min_loss", n.min_loss},
                            {"equal_impedances", n.equal_impedances},
                            {"entries", entries_of(n)},
                            {"resistors", resistors},
                            {"drawing", drawing(network, true)}});
    }
    Json series = Json::array();
    for (Series s : all_series)
        series.push_back(series_name(s));
    return {{"ok", true},
            {"networks", networks},
            {"series", series},
            {"frequencies", default_frequencies}};
}

// Which entry a design that cannot be built is shown beside.
std::string field_of_design(const Design& d) {
    if (!positive_finite(d.zone))
        return "z1";
    if (!positive_finite(d.ztwo) || info(d.network).min_loss)
        return "z2";
    return "loss";
}

std::string field_of_check(const Design& d) {
    if (!positive_finite(d.zone))
        return "z1";
    if (!positive_finite(d.ztwo))
        return "z2";
    const NetworkInfo& n = info(d.network);
    for (std::size_t i = 0; i < d.resistors.size(); ++i)
        if (!positive_finite(d.resistors[i]))
            return resistor_key(n.resistors[i].name);
    return "";
}

Design read_design(Request& q) {
    const NetworkInfo* n = q.network();
    if (!n)
        return {};
    double zone = q.entry(parse_ohms, "z1", n->equal_impedances ? "Z" : "Z1");
    double ztwo = n->equal_impedances ? zone : q.entry(parse_ohms, "z2", "Z2");
    double loss = n->min_loss ? 0 : q.entry(parse_decibels, "loss", "loss");
    return design(n->network, zone, ztwo, loss);
}

Design read_check(Request& q) {
    const NetworkInfo* n = q.network();
    if (!n)
        return {};
    Design d;
    d.network = n->network;
    d.zone = q.entry(parse_ohms, "z1", "Z1");
    d.ztwo = q.entry(parse_ohms, "z2", "Z2");
    for (std::size_t i = 0; i < n->resistors.size(); ++i) {
        std::string name(n->resistors[i].name);
        d.resistors.push_back(
            q.entry(parse_ohms, q.text("resistors", i), resistor_key(name), name));
    }
    d.min_loss = least_loss(d.zone, d.ztwo);
    d.buildable = why_not_a_network(d).empty();
    return d;
}

// The worked-out design or check, and any problems that are not the design's
// own (a value outside the preferred range, a resistor over its rating).
struct Worked {
    Settings settings;
    Result result;
    Json problems = Json::array();
};

// Empty when the request is refused.
std::optional<Worked> work_out(Request& q, bool check) {
    Design d = check ? read_check(q) : read_design(q);
    Worked w;
    w.settings = read_settings(q, !check);
    if (!q.refused() && !d.buildable) {
        if (check)
            q.refuse(field_of_check(d), "cannot be built: " + why_not_a_network(d), d.min_loss);
        else
            q.refuse(field_of_design(d), "cannot be built: " + why_unbuildable(d), d.min_loss);
    }
    if (q.refused())
        return std::nullopt;
    std::optional<Analysis> analysis;
    if (check) {
        analysis = analyse(d.network, d.resistors, d.zone, d.ztwo);
        d.loss = analysis->loss;
    }
    std::vector<std::string> problems;
    w.result = evaluate(d, w.settings, problems);
    w.result.analysis = analysis;
    // A build that cannot be made concerns the series; the rest are ratings.
    for (const std::string& problem : problems)
        w.problems.push_back(
            {{"field", problem.starts_with("no ") ? "series" : "rating"}, {"text", problem}});
    return w;
}

// What the page shows, in the text report's words and figures.

Json figures_view(const Analysis& a) {
    auto row = [](const char* label, std::string value) {
        return Json{{"label", label}, {"value", std::move(value)}};
    };
    return Json::array({row("Loss", fixed(a.loss, 4) + " dB"), row("Input impedance", ohms(a.z_in)),
                        row("Input return loss", fixed(a.return_loss_in, 2) + " dB"),
                        row("Input VSWR", fixed(a.vswr_in, 4)),
                        row("Output impedance", ohms(a.z_out)),
                        row("Output return loss", fixed(a.return_loss_out, 2) + " dB"),
                        row("Output VSWR", fixed(a.vswr_out, 4))});
}

Json power_view(const Power& p) {
    Json rows = Json::array();
    for (std::size_t i = 0; i < p.parts.size(); ++i)
        rows.push_back({{"name", p.parts[i]},
                        {"inward", engineering(p.inward.parts[i], "W", false)},
                        {"outward", engineering(p.outward.parts[i], "W", false)},
                        {"over", p.over_rating(i)}});
    rows.push_back({{"name", "load"},
                    {"inward", engineering(p.inward.load, "W", false)},
                    {"outward", engineering(p.outward.load, "W", false)},
                    {"over", false}});
    return {{"available", engineering(p.available, "W", false)}, {"rows", rows}};
}

Json build_view(const NetworkInfo& n, const char* which, const BuildResult& b) {
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
                 {"merit", fixed(b.build.merit, 3)},
                 {"resistors", resistors},
                 {"figures", figures_view(b.build.analysis)}};
    if (const auto& t = b.tolerance)
        view["tolerance"] = {
            {"percent", exact_number(t->percent)},
            {"loss", fixed(t->loss_low, 4) + " to " + fixed(t->loss_high, 4) + " dB"},
            {"return_loss_in", fixed(t->worst_return_loss_in, 2) + " dB"},
            {"return_loss_out", fixed(t->worst_return_loss_out, 2) + " dB"}};
    if (b.power)
        view["power"] = power_view(*b.power);
    return view;
}

Json result_view(const Result& r) {
    const Design& d = r.design;
    const NetworkInfo& n = info(d.network);
    Json resistors = Json::array();
    for (std::size_t i = 0; i < n.resistors.size(); ++i)
        resistors.push_back({{"name", n.resistors[i].name},
                             {"role", n.resistors[i].role},
                             {"value", ohms(d.resistors[i])}});
    Json view = {
        {"title", n.title}, {"least_loss", fixed(d.min_loss, 3) + " dB"}, {"resistors", resistors}};
    if (n.min_loss && !r.analysis)
        view["pad_loss"] = fixed(d.loss, 3) + " dB";
    if (r.analysis)
        view["figures"] = figures_view(*r.analysis);
    if (r.power)
        view["power"] = power_view(*r.power);
    if (r.best) {
        view["series"] = series_name(*r.series);
        view["builds"] =
            Json::array({build_view(n, "Nearest", *r.nearest), build_view(n, "Best", *r.best)});
    }
    return view;
}

Json result_reply(Request& q, bool check) {
    std::optional<Worked> w = work_out(q, check);
    if (!w)
        return {};
    return {{"ok", true},
            {"report", json_report(w->result)},
            {"view", result_view(w->result)},
            {"problems", w->problems}};
}

// The Touchstone file's frequencies, START:STOP:POINTS, read as the command
// line reads --freq.
std::vector<double> read_frequencies(Request& q) {
    std::string text = q.text("freq");
    if (text.empty())
        text = default_frequencies;
    std::size_t first = text.find(':');
    std::size_t second = first == std::string::npos ? first : text.find(':', first + 1);
    if (second != std::string::npos) {
        std::string_view view = text;
        std::optional<double> start = parse_hertz(view.substr(0, first));
        std::optional<double> stop = parse_hertz(view.substr(first + 1, second - first - 1));
        std::string_view count = view.substr(second + 1);
        int points = 0;
        auto read = std::from_chars(count.data(), count.data() + count.size(), points);
        if (start && stop && read.ec == std::errc{} && read.ptr == count.data() + count.size() &&
            *start > 0 && *stop >= *start && std::isfinite(*stop) && points >= 1 &&
            points <= 100000)
            return log_frequencies(*start, *stop, points);
    }
    q.refuse("freq",
             "cannot read frequencies '" + text + "': START:STOP:POINTS, such as 1MHz:1GHz:11");
    return {};
}

Json export_reply(Request& q) {
    std::string format = q.text("format");
    bool check = q.text("of") == "check";
    if (format != "json" && (check || (format != "spice" && format != "touchstone"))) {
        q.refuse("format", "no " + format + " export of a " + (check ? "check" : "design"));
        return {};
    }
    std::optional<Worked> w = work_out(q, check);
    if (!w)
        return {};
    const Design& d = w->result.design;
    Settings& s = w->settings;
    s.spice_name = q.text("name");
    if (!s.spice_name.empty() && !valid_spice_name(s.spice_name)) {
        q.refuse("name", "'" + s.spice_name +
                             "' is not a SPICE name: a letter, then letters, digits and "
                             "underscores");
        return {};
    }
    std::string base = check ? "padcalc-check-" + std::string(info(d.network).id)
                       : s.spice_name.empty()
                           ? default_spice_name(d.network, d.zone, d.ztwo, d.loss)
                           : s.spice_name;
    std::string text;
    std::string extension;
    if (format == "json") {
        text = json_report(w->result).dump(2) + "\n";
        extension = ".json";
    } else if (format == "spice") {
        text = spice_report(w->result, s, 0);
        extension = ".cir";
    } else {
        std::vector<double> frequencies = read_frequencies(q);
        if (q.refused())
            return {};
        Analysis a = analyse(d.network, exported_resistors(w->result, s), d.zone, d.ztwo);
        std::vector<std::string> header = {"padcalc: " + std::string(info(d.network).title) +
                                           " pad, " + exported_values(w->result, s)};
        text = touchstone(a, d.zone, d.ztwo, frequencies, header);
        extension = ".s2p";
    }
    return {
        {"ok", true}, {"filename", base + extension}, {"text", text}, {"problems", w->problems}};
}

Json refusal_reply(const Refusal& r) {
    Json out = {{"ok", false}, {"field", r.field}, {"error", r.error}};
    if (r.min_loss) {
        out["min_loss_db"] = *r.min_loss;
        out["least_loss"] = fixed(*r.min_loss, 3) + " dB";
    }
    return out;
}

Json answer(const char* request_text) {
    Json json = Json::parse(request_text ? request_text : "", nullptr, false);
    if (json.is_discarded() || !json.is_object())
        return refusal_reply({"", "the request is not a JSON object", std::nullopt});
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
        q.refuse("op", "unknown op '" + op + "'");
    return q.refused() ? refusal_reply(q.refusal()) : reply;
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
