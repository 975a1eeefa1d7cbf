#include "command_line.h"

#include "quantity.h"
#include "report.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <clocale>
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
    "  --help     show this help, or a command's with the command, and exit\n"
    "  --version  show the version and exit\n"
    "  --json     write JSON: an object for each design, an array for a sweep\n"
    "  --csv      write CSV: a header line and a line for each design\n"
    "  --ascii    write only ASCII, with 'ohm' for the ohm sign\n"
    "\n"
    "Exit status: 0 for designs that can be built, 1 when one cannot be built\n"
    "or the output cannot be written, 2 for a usage error.\n"
    "See padcalc(1) for the networks, the console and examples.\n";

enum class Format { text, json, csv };

// Standard output, in blocks; a write that fails is remembered, so that lost
// output never passes for success.
class Output {
  public:
    void write(std::string_view text) {
        buffer_ += text;
        if (buffer_.size() >= 64 * 1024)
            flush();
    }
    bool flush() {
        if (!buffer_.empty() &&
            std::fwrite(buffer_.data(), 1, buffer_.size(), stdout) != buffer_.size())
            failed_ = true;
        buffer_.clear();
        if (std::fflush(stdout) != 0)
            failed_ = true;
        return !failed_;
    }

  private:
    std::string buffer_;
    bool failed_ = false;
};

// Finishes a run: the output must have reached its destination.
int finish(Output& out, int status) {
    if (!out.flush()) {
        std::perror("padcalc: write error");
        return 1;
    }
    return status;
}

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

struct Settings {
    Format format = Format::text;
    bool ascii = false;
};

void add_output_options(CLI::App& app, Settings& s) {
    auto* json = app.add_flag_callback(
        "--json", [&s] { s.format = Format::json; }, "write JSON");
    auto* csv = app.add_flag_callback(
        "--csv", [&s] { s.format = Format::csv; }, "write CSV");
    json->excludes(csv);
    app.add_flag("--ascii", s.ascii, "write only ASCII");
}

// Writes each result in the chosen format; a sweep's JSON is one array.
class Writer {
  public:
    Writer(Settings s, bool sweep) : s_(s), sweep_(sweep) {}

    void add(const Result& r) {
        switch (s_.format) {
        case Format::text:
            out_.write(count_ ? "\n" : "");
            out_.write(text_report(r, s_.ascii));
            break;
        case Format::json:
            out_.write(!sweep_ ? "" : count_ ? ",\n" : "[\n");
            out_.write(json_report(r).dump(2));
            out_.write(sweep_ ? "" : "\n");
            break;
        case Format::csv:
            out_.write(count_ ? "" : csv_header(r));
            out_.write(csv_row(r));
            break;
        }
        ++count_;
    }

    int finish(int status) {
        if (s_.format == Format::json && sweep_)
            out_.write(count_ ? "\n]\n" : "[]\n");
        return padcalc::finish(out_, status);
    }

  private:
    Settings s_;
    bool sweep_;
    long count_ = 0;
    Output out_;
};

// Reads a positional number, or says which argument could not be read.
bool read_number(std::optional<double> (*parse)(std::string_view), const std::string& text,
                 std::string_view name, double& value, std::string& error) {
    std::optional<double> parsed = parse(text);
    if (!parsed) {
        error = "cannot read " + std::string(name) + " '" + text + "'";
        return false;
    }
    value = *parsed;
    return true;
}

void say_unbuildable(const Design& d) {
    std::string why = why_unbuildable(d);
    std::fprintf(stderr, "padcalc: %s: cannot be built: %s\n",
                 std::string(info(d.network).id).c_str(), why.c_str());
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

int run_design(const NetworkInfo& n, int argc, char** argv) {
    std::string command(n.id);
    CLI::App app("Designs the " + std::string(n.title) + ".", "padcalc " + command);
    app.set_help_flag("--help", "show this help and exit");
    std::string z1_text, z2_text, loss_text;
    if (n.equal_impedances) {
        app.add_option("Z", z1_text, "the impedance on both sides, in ohms")->required();
    } else {
        app.add_option("Z1", z1_text, "the inward impedance, in ohms")->required();
        app.add_option("Z2", z2_text, "the outward impedance, in ohms")->required();
    }
    if (!n.min_loss)
        app.add_option("LOSS", loss_text, "the loss in dB, or a sweep FROM:TO:STEP")->required();
    Settings s;
    add_output_options(app, s);
    if (auto status = parse(app, command, argc, argv))
        return *status;

    double zone = 0, ztwo = 0;
    std::string error;
    std::optional<Losses> losses = n.min_loss ? Losses{} : parse_losses(loss_text);
    if (!read_number(parse_ohms, z1_text, n.equal_impedances ? "Z" : "Z1", zone, error) ||
        (!n.equal_impedances && !read_number(parse_ohms, z2_text, "Z2", ztwo, error)))
        return usage_error(command, error);
    if (!losses)
        return usage_error(command, "cannot read LOSS '" + loss_text + "'");
    if (n.equal_impedances)
        ztwo = zone;
    if (!locale_is_utf8())
        s.ascii = true;

    Writer writer(s, losses->count > 1);
    int status = 0;
    for (long i = 0; i < losses->count; ++i) {
        Result r{design(n.network, zone, ztwo, losses->at(i)), std::nullopt};
        if (!r.design.buildable) {
            say_unbuildable(r.design);
            status = 1;
        }
        writer.add(r);
    }
    return writer.finish(status);
}

int run_check(int argc, char** argv) {
    CLI::App app("Analyses a network built from given resistors, between a source Z1 and a "
                 "load Z2.",
                 "padcalc check");
    app.set_help_flag("--help", "show this help and exit");
    std::string network_text, z1_text, z2_text;
    std::vector<std::string> resistor_texts;
    app.add_option("NETWORK", network_text,
                   "tee, h, pi, pi-bal, min-loss, min-loss-bal or bridged-tee")
        ->required();
    app.add_option("Z1", z1_text, "the source impedance, in ohms")->required();
    app.add_option("Z2", z2_text, "the load impedance, in ohms")->required();
    app.add_option("R", resistor_texts, "the resistors, in the network's order")->required();
    Settings s;
    add_output_options(app, s);
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
    if (!locale_is_utf8())
        s.ascii = true;
    d.min_loss = least_loss(d.zone, d.ztwo);
    std::string why = why_not_a_network(d);
    d.buildable = why.empty();
    Result r{d, analyse(d.network, d.resistors, d.zone, d.ztwo)};
    r.design.loss = r.analysis->loss;
    if (!why.empty())
        std::fprintf(stderr, "padcalc: check: %s\n", why.c_str());
    Writer writer(s, false);
    writer.add(r);
    return writer.finish(why.empty() ? 0 : 1);
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
