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
#include <exception>
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

[[noreturn]] void refuse(std::string field, std::string error,
                         std::optional<double> min_loss = std::nullopt) {
    throw Refusal{std::move(field), std::move(error), min_loss};
}

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

// The request's entry as typed; a number sent as a number is taken as its text.
std::string text_of(const Json& request, const char* key) {
    auto it = request.find(key);
    if (it == request.end() || it->is_null())
        return "";
    if (it->is_string())
        return it->get<std::string>();
    return it->dump();
}

bool flag(const Json& request, const char* key) {
    auto it = request.find(key);
    return it != request.end() && it->is_boolean() && it->get<bool>();
}

double read_entry(Reader read, const std::string& text, const std::string& key,
                  const std::string& name) {
    std::optional<double> value = read(text);
    if (!value)
        refuse(key, "cannot read " + name + " '" + text + "'");
    return *value;
}

double read_field(Reader read, const Json& request, const char* key, const std::string& name) {
    return read_entry(read, text_of(request, key), key, name);
}

// An option left empty is not asked for; one given must be a finite number,
// not negative, and above zero where zero means nothing.
std::optional<double> read_option(Reader read, const Json& request, const char* key,
                                  bool positive) {
    std::string text = text_of(request, key);
    if (text.empty())
        return std::nullopt;
    std::optional<double> value = read(text);
    if (!value || !std::isfinite(*value) || *value < 0 || (positive && *value == 0))
        refuse(key, "cannot read " + std::string(key) + " '" + text + "'");
    return value;
}

const NetworkInfo& network_of(const Json& request) {
    std::string id = text_of(request, "network");
    const NetworkInfo* n = find_network(id);
    if (!n)
        refuse("network", "unknown network '" + id + "'");
    return *n;
}

std::string resistor_key(std::string_view name) {
    std::string key;
    for (char c : name)
        key += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return key;
}

Settings read_settings(const Json& request, bool builds) {
    Settings s;
    if (builds) {
        std::string series = text_of(request, "series");
        if (!series.empty()) {
            s.series = find_series(series);
            if (!s.series)
                refuse("series",
                       "unknown series '" + series + "': E3, E6, E12, E24, E48, E96 or E192");
            s.pairs = flag(request, "pairs");
            s.nearest = flag(request, "nearest");
            s.tolerance = read_option(parse_percent, request, "tolerance", false);
        } else if (!text_of(request, "tolerance").empty()) {
            refuse("tolerance", "a tolerance needs a series of preferred values");
        }
    }
    s.power = read_option(parse_watts, request, "power", true);
    s.rating = read_option(parse_watts, request, "rating", true);
    if (s.rating && !s.power)
        refuse("rating", "a rating needs the power available from the source");
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
std::string field_of(const Design& d) {
    const NetworkInfo& n = info(d.network);
    if (!positive_finite(d.zone))
        return "z1";
    if (!positive_finite(d.ztwo))
        return "z2";
    if (n.min_loss)
        return "z2";
    return "loss";
}

Design read_design(const Json& request) {
    const NetworkInfo& n = network_of(request);
    double zone = read_field(parse_ohms, request, "z1", n.equal_impedances ? "Z" : "Z1");
    double ztwo = n.equal_impedances ? zone : read_field(parse_ohms, request, "z2", "Z2");
    double loss = n.min_loss ? 0 : read_field(parse_decibels, request, "loss", "loss");
    return design(n.network, zone, ztwo, loss);
}

Design read_check(const Json& request) {
    const NetworkInfo& n = network_of(request);
    Design d;
    d.network = n.network;
    d.zone = read_field(parse_ohms, request, "z1", "Z1");
    d.ztwo = read_field(parse_ohms, request, "z2", "Z2");
    Json given = request.value("resistors", Json::array());
    for (std::size_t i = 0; i < n.resistors.size(); ++i) {
        std::string text;
        if (given.is_array() && i < given.size())
            text = given[i].is_string() ? given[i].get<std::string>() : given[i].dump();
        std::string name(n.resistors[i].name);
        d.resistors.push_back(read_entry(parse_ohms, text, resistor_key(name), name));
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

Worked work_out(const Json& request, bool check) {
    Design d = check ? read_check(request) : read_design(request);
    Worked w;
    w.settings = read_settings(request, !check);
    if (!d.buildable) {
        if (check) {
            std::string field = !positive_finite(d.zone)   ? "z1"
                                : !positive_finite(d.ztwo) ? "z2"
                                                           : "";
            const NetworkInfo& n = info(d.network);
            for (std::size_t i = 0; field.empty() && i < d.resistors.size(); ++i)
                if (!positive_finite(d.resistors[i]))
                    field = resistor_key(n.resistors[i].name);
            refuse(field, "cannot be built: " + why_not_a_network(d), d.min_loss);
        }
        refuse(field_of(d), "cannot be built: " + why_unbuildable(d), d.min_loss);
    }
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

Json result_reply(const Json& request, bool check) {
    Worked w = work_out(request, check);
    return {{"ok", true},
            {"report", json_report(w.result)},
            {"view", result_view(w.result)},
            {"problems", w.problems}};
}

// The Touchstone file's frequencies, START:STOP:POINTS, read as the command
// line reads --freq.
std::vector<double> read_frequencies(const std::string& text) {
    auto fail = [&text]() {
        refuse("freq",
               "cannot read frequencies '" + text + "': START:STOP:POINTS, such as 1MHz:1GHz:11");
    };
    std::size_t first = text.find(':');
    std::size_t second = first == std::string::npos ? first : text.find(':', first + 1);
    if (second == std::string::npos)
        fail();
    std::optional<double> start = parse_hertz(std::string_view(text).substr(0, first));
    std::optional<double> stop =
        parse_hertz(std::string_view(text).substr(first + 1, second - first - 1));
    std::string_view count = std::string_view(text).substr(second + 1);
    int points = 0;
    auto read = std::from_chars(count.data(), count.data() + count.size(), points);
    if (!start || !stop || read.ec != std::errc{} || read.ptr != count.data() + count.size() ||
        !(*start > 0) || !(*stop >= *start) || !std::isfinite(*stop) || points < 1 ||
        points > 100000)
        fail();
    return log_frequencies(*start, *stop, points);
}

Json export_reply(const Json& request) {
    std::string format = text_of(request, "format");
    bool check = text_of(request, "of") == "check";
    if (format != "json" && (check || (format != "spice" && format != "touchstone")))
        refuse("format", "no " + format + " export of a " + (check ? "check" : "design"));
    Worked w = work_out(request, check);
    const Design& d = w.result.design;
    Settings& s = w.settings;
    s.spice_name = text_of(request, "name");
    if (!s.spice_name.empty() && !valid_spice_name(s.spice_name))
        refuse("name", "'" + s.spice_name +
                           "' is not a SPICE name: a letter, then letters, digits and underscores");
    std::string base = check ? "padcalc-check-" + std::string(info(d.network).id)
                       : s.spice_name.empty()
                           ? default_spice_name(d.network, d.zone, d.ztwo, d.loss)
                           : s.spice_name;
    std::string text;
    std::string extension;
    if (format == "json") {
        text = json_report(w.result).dump(2) + "\n";
        extension = ".json";
    } else if (format == "spice") {
        text = spice_report(w.result, s, 0);
        extension = ".cir";
    } else {
        std::string freq = text_of(request, "freq");
        std::vector<double> frequencies =
            read_frequencies(freq.empty() ? default_frequencies : freq);
        Analysis a = analyse(d.network, exported_resistors(w.result, s), d.zone, d.ztwo);
        std::vector<std::string> header = {"padcalc: " + std::string(info(d.network).title) +
                                           " pad, " + exported_values(w.result, s)};
        text = touchstone(a, d.zone, d.ztwo, frequencies, header);
        extension = ".s2p";
    }
    return {{"ok", true}, {"filename", base + extension}, {"text", text}, {"problems", w.problems}};
}

Json answer(const char* request_text) {
    Json request = Json::parse(request_text ? request_text : "", nullptr, false);
    if (request.is_discarded() || !request.is_object())
        refuse("", "the request is not a JSON object");
    std::string op = text_of(request, "op");
    if (op == "networks")
        return networks_reply();
    if (op == "design")
        return result_reply(request, false);
    if (op == "check")
        return result_reply(request, true);
    if (op == "export")
        return export_reply(request);
    refuse("op", "unknown op '" + op + "'");
}

} // namespace
} // namespace padcalc

// The reply stays valid until the next call.
extern "C" const char* padcalc_call(const char* request_json) {
    using padcalc::Json;
    // Text that is not UTF-8 is replaced, never thrown at the page.
    auto text = [](const Json& j) {
        return j.dump(-1, ' ', false, Json::error_handler_t::replace);
    };
    static std::string reply;
    try {
        reply = text(padcalc::answer(request_json));
    } catch (const padcalc::Refusal& r) {
        Json out = {{"ok", false}, {"field", r.field}, {"error", r.error}};
        if (r.min_loss) {
            out["min_loss_db"] = *r.min_loss;
            out["least_loss"] = padcalc::fixed(*r.min_loss, 3) + " dB";
        }
        reply = text(out);
    } catch (const std::exception& e) {
        reply = text(
            {{"ok", false}, {"field", ""}, {"error", std::string("internal error: ") + e.what()}});
    } catch (...) {
        reply = R"({"ok":false,"field":"","error":"internal error"})";
    }
    return reply.c_str();
}
