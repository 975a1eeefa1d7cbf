#include "command_line.h"

#include "design/quantity.h"
#include "design/spice.h"
#include "design/touchstone.h"
#include "output.h"
#include "output_file.h"

#include <CLI/CLI.hpp>

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>
#ifndef _WIN32
#include <langinfo.h>
#endif

#ifndef PADCALC_VERSION
#define PADCALC_VERSION "unknown"
#endif

namespace padcalc {
namespace {

const char usage_head[] =
    "Usage: padcalc\n"
    "       padcalc NETWORK Z1 Z2 LOSS [options]   NETWORK: tee, h, pi, pi-bal\n"
    "       padcalc bridged-tee Z LOSS [options]\n"
    "       padcalc min-loss Z1 Z2 [options]       also min-loss-bal\n"
    "       padcalc check NETWORK Z1 Z2 R1 R2 [R3 [R4]] [options]\n"
    "       padcalc --help | --version\n"
    "\n"
    "Computes the resistors of attenuators and impedance-matching pads.\n"
    "\n"
    "With no arguments it shows a menu: press a key to choose a network, then\n"
    "type the impedances in ohms and the loss in dB, each ended with ENTER.\n"
    "\n";

const char usage_tail[] =
    "\n"
    "With arguments it designs one network and writes its resistors, or checks\n"
    "a network built from given resistors (R1 R2 R3 for tee, h, pi and pi-bal;\n"
    "R1 R3 for the minimal loss pads; R1 R2 R3 R4 for bridged-tee) between a\n"
    "source Z1 and a load Z2. Numbers may be written 50, 1e3, 4k7, 2R2, 2.2M,\n"
    "100m, 50ohm or 10dB; LOSS may be a sweep FROM:TO:STEP, such as 1:20:0.5.\n"
    "\n"
    "Options:\n"
    "  --help              show this help, or a command's with the command, and exit\n"
    "  --version           show the version and exit\n"
    "  --json              write JSON: an object for each design, an array for a sweep\n"
    "  --csv               write CSV: a header line and a line for each design\n"
    "  --ascii             write only ASCII, with 'ohm' for the ohm sign\n"
    "  --series E3..E192   build from preferred values: nearest, and the best together\n"
    "  --pairs             let a resistor be two preferred values in series or parallel\n"
    "  --tolerance PERCENT the builds' loss and return losses over the resistors' tolerance\n"
    "  --power P           the power in each resistor, P available from the source\n"
    "                      (1W, 250mW, 30dBm), fed from either side\n"
    "  --rating R          name each resistor that would dissipate more than R\n"
    "  --spice             write a SPICE subcircuit in place of the table\n"
    "  --name NAME         the subcircuit's name\n"
    "  --nearest           export the nearest build rather than the best\n"
    "  --touchstone FILE   write the S-parameters to a Touchstone 2.0 file (- for\n"
    "                      standard output)\n"
    "  --freq START:STOP:POINTS  its frequencies (1MHz:1GHz:11, on a log scale)\n"
    "\n"
    "Exit status: 0 for designs that can be built, 1 when one cannot be built,\n"
    "a resistor is over its rating, or output cannot be written; 2 for a usage\n"
    "error.\n"
    "See padcalc(1) for the networks, the console and examples.\n";

int show(std::string_view text) {
    Output out;
    out.write(text);
    return finish(out, 0);
}

int usage_error(std::string_view command, const std::string& message) {
    std::fprintf(stderr, "padcalc: %s\n", message.c_str());
    std::fprintf(stderr, "Try 'padcalc%s%.*s --help' for more information.\n",
                 command.empty() ? "" : " ", static_cast<int>(command.size()), command.data());
    return 2;
}

// Box drawing and the ohm sign only where the locale's characters are UTF-8.
bool locale_is_utf8() {
#ifdef _WIN32
    return false;
#else
    std::setlocale(LC_CTYPE, "");
    return std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0;
#endif
}

// The options' texts as typed, read into Settings once parsing is done.
struct OptionTexts {
    std::string series, tolerance, power, rating, freq = "1MHz:1GHz:11";
};

void add_output_options(CLI::App& app, Settings& s) {
    auto* json = app.add_flag_callback(
        "--json", [&s] { s.format = Format::json; }, "write JSON");
    auto* csv = app.add_flag_callback(
        "--csv", [&s] { s.format = Format::csv; }, "write CSV");
    json->excludes(csv);
    app.add_flag("--ascii", s.ascii, "write only ASCII, with 'ohm' for the ohm sign");
}

void add_power_options(CLI::App& app, OptionTexts& t) {
    auto* power =
        app.add_option("--power", t.power, "the power available from the source: 1W, 250mW, 30dBm");
    app.add_option("--rating", t.rating, "name each resistor that would dissipate more")
        ->needs(power);
}

void add_design_options(CLI::App& app, Settings& s, OptionTexts& t) {
    add_output_options(app, s);
    auto* series = app.add_option("--series", t.series, "preferred values: E3 to E192");
    app.add_flag("--pairs", s.pairs, "a resistor may be two preferred values")->needs(series);
    app.add_option("--tolerance", t.tolerance, "the resistors' tolerance in percent")
        ->needs(series);
    add_power_options(app, t);
    auto* spice = app.add_flag_callback(
        "--spice", [&s] { s.format = Format::spice; },
        "write a SPICE subcircuit in place of the table");
    spice->excludes(app.get_option("--json"))->excludes(app.get_option("--csv"));
    app.add_option("--name", s.spice_name, "the subcircuit's name")->needs(spice);
    app.add_flag("--nearest", s.nearest, "export the nearest build rather than the best")
        ->needs(series);
    app.add_option("--touchstone", s.touchstone, "write S-parameters to a Touchstone file");
    app.add_option("--freq", t.freq, "the Touchstone file's START:STOP:POINTS");
}

// Reads a number, or says which argument was refused and why.
bool read_number(Parsed<double> (*parse)(std::string_view), const std::string& text,
                 std::string_view name, double& value, std::string& error) {
    Parsed<double> parsed = parse(text);
    if (!parsed) {
        error = std::string(name) + " '" + text + "': " + parsed.reason();
        return false;
    }
    value = *parsed;
    return true;
}

// The Touchstone file's frequencies, START:STOP:POINTS.
bool read_frequencies(const std::string& text, Settings& s, std::string& error) {
    Parsed<std::vector<double>> hz = parse_frequencies(text);
    if (!hz) {
        error = "--freq '" + text + "': " + hz.reason();
        return false;
    }
    s.frequencies = *hz;
    return true;
}

// Reads the options' values; a value that is refused is a usage error.
bool read_options(const OptionTexts& t, Settings& s, std::string& error) {
    auto optional_number = [&error](Parsed<double> (*parse)(std::string_view),
                                    const std::string& text, std::string_view name,
                                    std::optional<double>& value) {
        double v = 0;
        if (text.empty())
            return true;
        if (!read_number(parse, text, name, v, error))
            return false;
        value = v;
        return true;
    };
    if (!t.series.empty()) {
        s.series = find_series(t.series);
        if (!s.series) {
            error = "unknown --series '" + t.series + "': E3, E6, E12, E24, E48, E96 or E192";
            return false;
        }
    }
    if (!s.spice_name.empty() && !valid_spice_name(s.spice_name)) {
        error = "--name '" + s.spice_name +
                "' is not a SPICE name: a letter, then letters, "
                "digits and underscores";
        return false;
    }
    return optional_number(parse_tolerance, t.tolerance, "--tolerance", s.tolerance) &&
           optional_number(parse_power, t.power, "--power", s.power) &&
           optional_number(parse_rating, t.rating, "--rating", s.rating) &&
           (s.touchstone.empty() || read_frequencies(t.freq, s, error));
}

// Parses with CLI11; on help or a usage error gives the exit status to end with.
std::optional<int> parse(CLI::App& app, std::string_view command, int argc, char** argv) {
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        return show(app.help());
    } catch (const CLI::ParseError& e) {
        return usage_error(command, std::string(command) + ": " + e.what());
    }
    return std::nullopt;
}

void say(std::string_view command, const std::string& problem) {
    std::fprintf(stderr, "padcalc: %.*s: %s\n", static_cast<int>(command.size()), command.data(),
                 problem.c_str());
}

// Works out each design and writes it; the status is 1 if any could not be
// built or had a problem.
class Run {
  public:
    Run(std::string_view command, const Settings& s, bool sweep)
        : command_(command), s_(s), writer_(s, sweep) {}

    void add(const Design& d, std::optional<Analysis> analysis = std::nullopt) {
        std::vector<std::string> problems;
        Result r = evaluate(d, s_, problems);
        r.analysis = analysis;
        if (!d.buildable)
            problems.insert(problems.begin(),
                            "cannot be built: " +
                                (analysis ? why_not_a_network(d) : why_unbuildable(d)));
        for (const std::string& problem : problems)
            say(command_, problem);
        status_ = problems.empty() ? status_ : 1;
        if (!s_.touchstone.empty() &&
            d.buildable) // a file of a pad that cannot be built helps nobody
            write_touchstone(r);
        // The Touchstone file on standard output takes the report's place.
        if (s_.touchstone != "-" && (s_.format != Format::spice || d.buildable))
            writer_.add(r);
    }

    int finish() { return writer_.finish(status_); }

  private:
    void write_touchstone(const Result& r) {
        const Design& d = r.design;
        Analysis a = analyse(d.network, exported_resistors(r, s_), d.zone, d.ztwo);
        std::vector<std::string> header = {"padcalc: " + std::string(info(d.network).title) +
                                           " pad, " + exported_values(r, s_)};
        std::string why = write_file_replacing(
            s_.touchstone, touchstone(a, d.zone, d.ztwo, s_.frequencies, header));
        if (!why.empty()) {
            say(command_, "cannot write the Touchstone file: " + why);
            status_ = 1;
        }
    }

    std::string_view command_;
    const Settings& s_;
    Writer writer_;
    int status_ = 0;
};

int run_design(const NetworkInfo& n, int argc, char** argv) {
    std::string command(n.id);
    CLI::App app("Designs the " + std::string(n.title) + ".", "padcalc " + command);
    app.set_help_flag("--help", "show this help and exit");
    std::string z1_text;
    std::string z2_text;
    std::string loss_text;
    if (n.equal_impedances) {
        app.add_option("Z", z1_text, "the impedance on both sides, in ohms")->required();
    } else {
        app.add_option("Z1", z1_text, "the inward impedance, in ohms")->required();
        app.add_option("Z2", z2_text, "the outward impedance, in ohms")->required();
    }
    if (!n.min_loss)
        app.add_option("LOSS", loss_text, "the loss in dB, or a sweep FROM:TO:STEP")->required();
    Settings s;
    OptionTexts t;
    add_design_options(app, s, t);
    if (auto status = parse(app, command, argc, argv))
        return *status;

    double zone = 0;
    double ztwo = 0;
    std::string error;
    Parsed<Losses> losses = n.min_loss ? Losses{} : parse_losses(loss_text);
    if (!read_number(parse_ohms, z1_text, n.equal_impedances ? "Z" : "Z1", zone, error) ||
        (!n.equal_impedances && !read_number(parse_ohms, z2_text, "Z2", ztwo, error)))
        return usage_error(command, error);
    if (!losses)
        return usage_error(command, "LOSS '" + loss_text + "': " + losses.reason());
    if (!read_options(t, s, error))
        return usage_error(command, error);
    if (losses->count > 1 && !s.touchstone.empty())
        return usage_error(command,
                           "--touchstone takes one loss, not the sweep '" + loss_text + "'");
    if (s.touchstone == "-" && s.format != Format::text)
        return usage_error(command, "--touchstone - writes to standard output, in place of "
                                    "--json, --csv or --spice");
    if (n.equal_impedances)
        ztwo = zone;
    // Only the text has characters beyond ASCII: the locale is not looked up for the rest.
    s.ascii = s.ascii || (s.format == Format::text && !locale_is_utf8());

    Run run(command, s, losses->count > 1);
    for (long i = 0; i < losses->count; ++i)
        run.add(design(n.network, zone, ztwo, losses->at(i)));
    return run.finish();
}

int run_check(int argc, char** argv) {
    CLI::App app("Analyses a network built from given resistors, between a source Z1 and a "
                 "load Z2.",
                 "padcalc check");
    app.set_help_flag("--help", "show this help and exit");
    std::string network_text;
    std::string z1_text;
    std::string z2_text;
    std::vector<std::string> resistor_texts;
    app.add_option("NETWORK", network_text,
                   "tee, h, pi, pi-bal, min-loss, min-loss-bal or bridged-tee")
        ->required();
    app.add_option("Z1", z1_text, "the source impedance, in ohms")->required();
    app.add_option("Z2", z2_text, "the load impedance, in ohms")->required();
    app.add_option("R", resistor_texts, "the resistors, in the network's order")->required();
    Settings s;
    OptionTexts t;
    add_output_options(app, s);
    add_power_options(app, t);
    if (auto status = parse(app, "check", argc, argv))
        return *status;

    const NetworkInfo* n = find_network(network_text);
    if (!n)
        return usage_error("check", "check: unknown network '" + network_text + "'");
    if (resistor_texts.size() != n->resistors.size())
        return usage_error("check", "check: " + network_text + " takes " +
                                        std::to_string(n->resistors.size()) + " resistors, not " +
                                        std::to_string(resistor_texts.size()));
    Design d;
    d.network = n->network;
    std::string error;
    if (!read_number(parse_ohms, z1_text, "Z1", d.zone, error) ||
        !read_number(parse_ohms, z2_text, "Z2", d.ztwo, error))
        return usage_error("check", "check: " + error);
    for (std::size_t i = 0; i < resistor_texts.size(); ++i) {
        d.resistors.push_back(0);
        if (!read_number(parse_ohms, resistor_texts[i], n->resistors[i].name, d.resistors[i],
                         error))
            return usage_error("check", "check: " + error);
    }
    if (!read_options(t, s, error))
        return usage_error("check", "check: " + error);
    // Only the text has characters beyond ASCII: the locale is not looked up for the rest.
    s.ascii = s.ascii || (s.format == Format::text && !locale_is_utf8());
    d.min_loss = least_loss(d.zone, d.ztwo);
    d.buildable = why_not_a_network(d).empty();
    Analysis a = analyse(d.network, d.resistors, d.zone, d.ztwo);
    d.loss = a.loss;
    Run run("check", s, false);
    run.add(d, a);
    return run.finish();
}

} // namespace

int run_command_line(int argc, char** argv, std::string_view menu_keys) {
    std::string_view first = argv[1];
    if (argc == 2 && first == "--help")
        return show(usage_head + std::string(menu_keys) + usage_tail);
    if (argc == 2 && first == "--version")
        return show("padcalc " PADCALC_VERSION "\n");
    if (first == "check")
        return run_check(argc - 1, argv + 1);
    if (const NetworkInfo* n = find_network(first))
        return run_design(*n, argc - 1, argv + 1);
    if (first == "--help" || first == "--version")
        return usage_error("", "unexpected argument '" + std::string(argv[2]) + "'");
    return usage_error("", "unrecognized argument '" + std::string(first) + "'");
}

} // namespace padcalc
