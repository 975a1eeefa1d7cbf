#include "command_line.h"

#include "design/cascade.h"
#include "design/part_model.h"
#include "design/quantity.h"
#include "design/spice.h"
#include "options.h"
#include "run.h"
#include "run_cascade.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
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

// The networks that can be cascaded, as a list.
std::string cascadable() {
    std::string list;
    for (const NetworkInfo& n : networks())
        if (can_cascade(&n))
            list += (list.empty() ? "" : ", ") + std::string(n.id);
    return list;
}

// The networks' names, each command's entries, and what each network takes to check.
std::string command_lines() {
    std::string fixed;
    std::string equal;
    std::string least;
    std::string resistors;
    for (const NetworkInfo& n : networks()) {
        std::string& list = n.min_loss ? least : n.equal_impedances ? equal : fixed;
        list += (list.empty() ? "" : ", ") + std::string(n.id);
    }
    return "Usage: padcalc\n"
           "       padcalc NETWORK Z1 Z2 LOSS [options]   NETWORK: " +
           fixed +
           "\n"
           "       padcalc NETWORK Z LOSS [options]       NETWORK: " +
           equal +
           "\n"
           "       padcalc NETWORK Z1 Z2 [options]        NETWORK: " +
           least +
           "\n"
           "       padcalc check NETWORK Z1 Z2 R... [options]\n"
           "       padcalc cascade NETWORK Z LOSS --stages N|auto [options]\n"
           "                                              NETWORK: " +
           cascadable() +
           "\n"
           "       padcalc --help | --version | --completion\n";
}

// The options that check takes, as a list in words.
std::string check_options() {
    std::vector<std::string_view> names;
    for (const Option& o : options())
        if (o.commands & for_check)
            names.push_back(o.name);
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i)
        text += std::string(i == 0                  ? ""
                            : i + 1 == names.size() ? " and "
                                                    : ", ") +
                std::string(names[i]);
    return text;
}

std::string usage(std::string_view menu_keys) {
    return command_lines() +
           "\n"
           "Computes the resistors of attenuators and impedance-matching pads.\n"
           "\n"
           "With no arguments it shows a menu: press a key to choose a network, then\n"
           "type the impedances in ohms and the loss in dB, each ended with ENTER.\n"
           "\n" +
           std::string(menu_keys) +
           "\n"
           "With arguments it designs one network and writes its resistors, designs a\n"
           "cascade of pads sharing a loss, or checks a network built from given\n"
           "resistors between a source Z1 and a load Z2, the resistors in the\n"
           "network's order:\n" +
           networks_help(networks()) +
           "Numbers may be written 50, 1e3, 4k7, 2R2, 2.2M, 100m, 50ohm or 10dB; LOSS\n"
           "may be a sweep FROM:TO:STEP, such as 1:20:0.5.\n"
           "\n"
           "Options (check takes " +
           check_options() + "; --stages and --split are cascade's own):\n" +
           options_help(for_both | for_cascade) +
           "\n"
           "Exit status: 0 for designs that can be built, 1 when one cannot be built,\n"
           "a part is over a rating, or output cannot be written; 2 for a usage\n"
           "error.\n"
           "See padcalc(1) for the networks, the console and examples.\n";
}

int show(std::string_view text) {
    Output out;
    out.write(text);
    return finish(out, 0);
}

// Every usage error: one line that names the argument and what is wrong
// with it, a pointer to the help, and status 2.
int usage_error(std::string_view command, const std::string& message) {
    std::fprintf(stderr, "padcalc: %s\n", message.c_str());
    std::fprintf(stderr, "Try 'padcalc%s%.*s --help' for more information.\n",
                 command.empty() ? "" : " ", static_cast<int>(command.size()), command.data());
    return 2;
}

// An unknown word, and the known one it is nearest to.
std::string unknown(std::string_view what, std::string_view word,
                    const std::vector<std::string_view>& known) {
    std::string message = "'" + std::string(word) + "': unknown " + std::string(what);
    std::string_view near = nearest_name(word, known);
    return near.empty() ? message : message + "; did you mean " + std::string(near) + "?";
}

// The first option that the command does not take, said with the nearest
// it does take; empty when there is none.
std::string unknown_option(Commands command, int argc, char** argv) {
    std::vector<std::string_view> names = {"--help"};
    for (const Option& o : options())
        if (o.commands & command)
            names.push_back(o.name);
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "--")
            break;
        if (!arg.starts_with("--"))
            continue;
        std::string_view name = arg.substr(0, arg.find('='));
        if (std::find(names.begin(), names.end(), name) == names.end())
            return unknown("option", name, names);
    }
    return {};
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

// Reads a number, or says which argument was refused and why.
bool read_number(Parsed<double> (*parse)(std::string_view), const std::string& text,
                 std::string_view name, double& value, std::string& error) {
    Parsed<double> parsed = read_entry(parse, name, text);
    if (!parsed) {
        error = parsed.reason();
        return false;
    }
    value = *parsed;
    return true;
}

// What each entry of a design is, for the command's --help.
std::string entry_help(std::string_view entry) {
    if (entry == "Z")
        return "the impedance on both sides, in ohms";
    if (entry == "Z1")
        return "the inward impedance, in ohms";
    if (entry == "Z2")
        return "the outward impedance, in ohms";
    return "the loss in dB, or a sweep FROM:TO:STEP";
}

// An option given with an empty value, or with another option in its place.
std::string missing_value(const CLI::App& app, const OptionTexts& t) {
    for (const Option& o : options()) {
        if (o.value.empty() || !app.get_option_no_throw(std::string(o.name)) ||
            app.count(std::string(o.name)) == 0)
            continue;
        const std::string& text = t.*o.text;
        if (text.empty())
            return std::string(o.name) + ": needs a value (" + std::string(o.value) + ")";
        if (text.starts_with("-") && text != "-" &&
            !std::isdigit(static_cast<unsigned char>(text[1])))
            return std::string(o.name) + ": needs a value (" + std::string(o.value) +
                   "), not the option '" + text + "'";
    }
    return {};
}

// Reads the options' values; a value that is refused is a usage error.
bool read_options(const OptionTexts& t, Settings& s, std::string& error) {
    std::optional<OptionFault> fault = read_options(t, s);
    if (fault)
        error = fault->message;
    return !fault;
}

// Parses with CLI11; on help or a usage error gives the exit status to end with.
std::optional<int> parse(CLI::App& app, std::string_view command, int argc, char** argv) {
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        return show(app.help());
    } catch (const CLI::ExtrasError& e) {
        std::string extra = argv[argc - 1];
        for (int i = 1; i < argc; ++i)
            if (std::string_view(e.what()).find(argv[i]) != std::string_view::npos)
                extra = argv[i];
        return usage_error(command, "'" + extra + "': unexpected argument");
    } catch (const CLI::ParseError& e) {
        // CLI11 says "--series: At Most 1 required but received 2".
        std::string what = e.what();
        std::size_t twice = what.find(": At Most 1 required but received");
        if (twice != std::string::npos)
            return usage_error(command, what.substr(0, twice) + ": given more than once");
        return usage_error(command, what);
    }
    return std::nullopt;
}

// The nearest network's name to a word that names none, in a message.
std::string unknown_network(const std::string& word) {
    std::vector<std::string_view> known;
    for (const NetworkInfo& entry : networks())
        known.push_back(entry.id);
    return unknown("network", word, known);
}

// A command's CLI11 app, with --help and the options the command takes.
void set_up(CLI::App& app, Commands command, Settings& s, OptionTexts& t) {
    app.set_help_flag("--help", "show this help and exit");
    add_options(app, command, s, t);
}

// Sets the command's app up and parses its arguments; on help or a usage
// error gives the exit status to end with.
std::optional<int> parse_command(CLI::App& app, Commands command, std::string_view name,
                                 Settings& s, OptionTexts& t, int argc, char** argv) {
    set_up(app, command, s, t);
    if (std::string error = unknown_option(command, argc, argv); !error.empty())
        return usage_error(name, error);
    return parse(app, name, argc, argv);
}

int run_design(Network n, int argc, char** argv) {
    std::string command(n->id);
    CLI::App app("Designs the " + std::string(n->title) + ".", "padcalc " + command);
    std::vector<std::string_view> entries = design_entries(n);
    std::vector<std::string> texts(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i)
        app.add_option(std::string(entries[i]), texts[i], entry_help(entries[i]))->required();
    Settings s;
    OptionTexts t;
    if (auto status = parse_command(app, for_design, command, s, t, argc, argv))
        return *status;
    const std::string& z1_text = texts.front();
    const std::string& z2_text = n->equal_impedances ? texts.front() : texts[1];
    std::string loss_text = n->min_loss ? "" : texts.back();

    double zone = 0;
    double ztwo = 0;
    std::string error = missing_value(app, t);
    if (!error.empty())
        return usage_error(command, error);
    Parsed<Losses> losses = n->min_loss ? Parsed<Losses>(Losses{})
                                        : read_entry(parse_losses, entries.back(), loss_text);
    if (!read_number(parse_ohms, z1_text, entries[0], zone, error) ||
        (!n->equal_impedances && !read_number(parse_ohms, z2_text, entries[1], ztwo, error)))
        return usage_error(command, error);
    if (!losses)
        return usage_error(command, losses.reason());
    if (!read_options(t, s, error))
        return usage_error(command, error);
    bool sweep = loss_text.find(':') != std::string::npos;
    if (sweep && !s.touchstone.empty())
        return usage_error(command,
                           "--touchstone takes one loss, not the sweep '" + loss_text + "'");
    if (s.touchstone == "-" && s.format != Format::text)
        return usage_error(command, "--touchstone - writes to standard output, in place of "
                                    "--json, --csv or --spice");
    if (sweep && !s.spice_name.empty() &&
        s.spice_name.size() + 1 + std::to_string(losses->count).size() > max_spice_name)
        return usage_error(command, "--name '" + s.spice_name + "': with the sweep's " +
                                        std::to_string(losses->count) +
                                        " losses its names would be longer than " +
                                        std::to_string(max_spice_name) + " characters");
    if (n->equal_impedances)
        ztwo = zone;
    // Only the text has characters beyond ASCII: the locale is not looked up for the rest.
    s.ascii = s.ascii || (s.format == Format::text && !locale_is_utf8());

    Run run(s, sweep, losses->count);
    for (long i = 0; i < losses->count && !run.failed(); ++i)
        run.add(design(n, zone, ztwo, losses->at(i)));
    return run.finish();
}

int run_check(int argc, char** argv) {
    CLI::App app("Analyses a network built from given resistors, between a source Z1 and a "
                 "load Z2.",
                 "padcalc check");
    std::string network_text;
    std::string z1_text;
    std::string z2_text;
    std::vector<std::string> resistor_texts;
    std::string names;
    for (const NetworkInfo& n : networks())
        names += (names.empty() ? "" : ", ") + std::string(n.id);
    app.add_option("NETWORK", network_text, names)->required();
    app.add_option("Z1", z1_text, "the source impedance, in ohms")->required();
    app.add_option("Z2", z2_text, "the load impedance, in ohms")->required();
    app.add_option("R", resistor_texts, "the resistors, in the network's order")->required();
    Settings s;
    OptionTexts t;
    if (auto status = parse_command(app, for_check, "check", s, t, argc, argv))
        return *status;

    Network n = find_network(network_text);
    if (!n)
        return usage_error("check", unknown_network(network_text));
    std::string resistor_names;
    for (const ResistorRole& r : n->resistors)
        resistor_names += " " + std::string(r.name);
    if (resistor_texts.size() != n->resistors.size())
        return usage_error("check", network_text + " takes " + std::to_string(n->resistors.size()) +
                                        " resistors (" + resistor_names.substr(1) + "), not " +
                                        std::to_string(resistor_texts.size()));
    double zone = 0;
    double ztwo = 0;
    std::vector<double> resistors(resistor_texts.size());
    std::string error = missing_value(app, t);
    if (!error.empty())
        return usage_error("check", error);
    if (!read_number(parse_ohms, z1_text, "Z1", zone, error) ||
        !read_number(parse_ohms, z2_text, "Z2", ztwo, error))
        return usage_error("check", error);
    for (std::size_t i = 0; i < resistor_texts.size(); ++i)
        if (!read_number(parse_ohms, resistor_texts[i], n->resistors[i].name, resistors[i], error))
            return usage_error("check", error);
    if (!read_options(t, s, error))
        return usage_error("check", error);
    // Only the text has characters beyond ASCII: the locale is not looked up for the rest.
    s.ascii = s.ascii || (s.format == Format::text && !locale_is_utf8());
    Design d = checked_design(n, zone, ztwo, std::move(resistors));
    Run run(s, false, 1);
    run.add(d, analyse(n, d.resistors, zone, ztwo));
    return run.finish();
}

// --stages: a whole number of stages, or auto (none).
bool read_stages(const OptionTexts& t, const Settings& s, std::optional<int>& stages,
                 std::string& error) {
    if (t.stages == "auto") {
        error = "--stages auto needs --power and --rating";
        return s.power && s.rating;
    }
    int n = 0;
    auto read = std::from_chars(t.stages.data(), t.stages.data() + t.stages.size(), n);
    error = "--stages '" + t.stages + "': a whole number of stages from 1 to " +
            std::to_string(max_stages) + ", or auto";
    if (read.ec != std::errc{} || read.ptr != t.stages.data() + t.stages.size() || n < 1 ||
        n > max_stages)
        return false;
    stages = n;
    return true;
}

bool read_split(const std::string& text, Settings& s, std::string& error) {
    if (text.empty() || text == "dissipation")
        return true;
    s.split = Split::equal;
    error = "--split '" + text + "': dissipation or equal";
    return text == "equal";
}

int run_cascade(int argc, char** argv) {
    CLI::App app("Designs pads of one network in cascade, sharing the loss among them.",
                 "padcalc cascade");
    std::string network_text;
    std::string z_text;
    std::string loss_text;
    app.add_option("NETWORK", network_text, cascadable())->required();
    app.add_option("Z", z_text, "the impedance throughout, in ohms")->required();
    app.add_option("LOSS", loss_text, "the whole cascade's loss, in dB")->required();
    Settings s;
    OptionTexts t;
    if (auto status = parse_command(app, cascade_options, "cascade", s, t, argc, argv))
        return *status;
    Network n = find_network(network_text);
    if (!n)
        return usage_error("cascade", unknown_network(network_text));
    if (!can_cascade(n))
        return usage_error("cascade", "'" + network_text +
                                          "' cannot be cascaded: its ports are not both matched "
                                          "between one impedance; cascade takes " +
                                          cascadable());
    double z = 0;
    double loss = 0;
    std::optional<int> stages;
    std::string error = missing_value(app, t);
    if (!error.empty())
        return usage_error("cascade", error);
    if (t.stages.empty())
        return usage_error("cascade", "--stages: needs a number of stages (N|auto)");
    if (!read_number(parse_ohms, z_text, "Z", z, error) ||
        !read_number(parse_decibels, loss_text, "LOSS", loss, error) ||
        !read_options(t, s, error) || !read_stages(t, s, stages, error) ||
        !read_split(t.split, s, error))
        return usage_error("cascade", error);
    if (s.touchstone == "-" && s.format != Format::text)
        return usage_error("cascade", "--touchstone - writes to standard output, in place of "
                                      "--json, --csv or --spice");
    if (s.format == Format::csv && !t.freq.empty() && s.touchstone.empty())
        return usage_error("cascade", "--freq: a cascade's CSV is a row for each stage; the "
                                      "whole cascade's response is in the text and --json");
    // Only the text has characters beyond ASCII: the locale is not looked up for the rest.
    s.ascii = s.ascii || (s.format == Format::text && !locale_is_utf8());
    return padcalc::run_cascade(n, z, loss, stages, s);
}

} // namespace

std::string networks_help(std::span<const NetworkInfo> table) {
    auto names_of = [](const NetworkInfo& n) {
        std::string names;
        for (const ResistorRole& r : n.resistors)
            names += (names.empty() ? "" : " ") + std::string(r.name);
        return names;
    };
    std::size_t names_width = 0;
    for (const NetworkInfo& n : table)
        names_width = std::max(names_width, names_of(n).size());
    auto column = [](const std::string& text, std::size_t width) {
        return text + std::string(width + 2 - text.size(), ' ');
    };
    std::string text;
    for (const NetworkInfo& n : table)
        text += "  " + column(std::string(n.id), longest_id(table)) +
                column(names_of(n), names_width) + std::string(n.title) + "\n";
    return text;
}

int run_command_line(int argc, char** argv, std::string_view menu_keys) {
    std::string_view first = argv[1];
    if (argc == 2 && first == "--help")
        return show(usage(menu_keys));
    if (argc == 2 && first == "--version")
        return show("padcalc " PADCALC_VERSION "\n");
    if (argc == 2 && first == "--completion")
        return show(bash_completion());
    if (first == "check")
        return run_check(argc - 1, argv + 1);
    if (first == "cascade")
        return run_cascade(argc - 1, argv + 1);
    if (Network n = find_network(first))
        return run_design(n, argc - 1, argv + 1);
    if (first == "--help" || first == "--version" || first == "--completion")
        return usage_error("", "'" + std::string(argv[2]) + "': unexpected argument");
    std::vector<std::string_view> known = {"check", "cascade", "--help", "--version",
                                           "--completion"};
    for (const NetworkInfo& n : networks())
        known.push_back(n.id);
    return usage_error("", unknown(first.starts_with("-") ? "option" : "command", first, known));
}

} // namespace padcalc
