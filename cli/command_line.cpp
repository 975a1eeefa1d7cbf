// The commands: each parsed, read, run and written along one path. A
// command says only what its arguments are, how its entries are read, what
// it asks of its entries and options together, and what it runs.
#include "command_line.h"

#include "arguments.h"
#include "design/cascade.h"
#include "design/quantity.h"
#include "design/spice.h"
#include "run.h"
#include "run_cascade.h"
#include "usage.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <clocale>
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

std::string unknown_network(std::string_view word) {
    std::vector<std::string_view> known;
    for (const NetworkInfo& entry : networks())
        known.push_back(entry.id);
    return unknown("network", word, known);
}

// The first option that the command does not take, said with the nearest
// it does take.
Expected<> known_options(Commands command, int argc, char** argv) {
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
            return Refusal{unknown("option", name, names)};
    }
    return {};
}

// An option given with an empty value, or with another option in its place.
Expected<> values_given(const OptionTexts& t) {
    for (const Option& o : options()) {
        if (o.value.empty() || !t.given(o.name))
            continue;
        const std::string& text = t.text(o.name);
        std::string needs = std::string(o.name) + ": needs a value (" + std::string(o.value) + ")";
        if (text.empty())
            return Refusal{needs};
        if (text.starts_with("-") && text != "-" &&
            !std::isdigit(static_cast<unsigned char>(text[1])))
            return Refusal{needs.append(", not the option '").append(text).append("'")};
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

// Parses with CLI11, the one place its exceptions are caught; on help or a
// usage error gives the exit status to end with.
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

// A positional argument: its name, its help, and whether it takes the rest.
struct Argument {
    std::string name;
    std::string help;
    bool rest = false;
};

// The arguments' texts as typed, by position; the last that takes the rest
// has them all in `rest`.
struct Typed {
    std::vector<std::string> texts;
    std::vector<std::string> rest;
};

// What sets one command apart from the others.
struct Command {
    std::string name; // as messages and --help name it: "tee", "check"
    std::string about;
    Commands takes;
    std::vector<Argument> arguments = {};
    // Reads the entries; the refusal names the entry at fault.
    std::function<Expected<>(const Typed&)> read_entries = {};
    // What the entries and options ask together that cannot be done.
    std::function<Expected<>(const Typed&, const OptionTexts&, const Settings&)> check = {};
    // Works out the command and writes it; gives the exit status.
    std::function<int(const Settings&)> run = {};
};

// The one path every command takes: parse, read, run and write.
int run_command(const Command& c, int argc, char** argv) {
    CLI::App app(c.about, "padcalc " + c.name);
    app.set_help_flag("--help", "show this help and exit");
    Typed typed;
    typed.texts.resize(c.arguments.size());
    for (std::size_t i = 0; i < c.arguments.size(); ++i) {
        const Argument& a = c.arguments[i];
        (a.rest ? app.add_option(a.name, typed.rest, a.help)
                : app.add_option(a.name, typed.texts[i], a.help))
            ->required();
    }
    ParsedTexts texts;
    add_options(app, c.takes, texts);
    if (Expected<> known = known_options(c.takes, argc, argv); !known)
        return usage_error(c.name, known.reason());
    if (std::optional<int> status = parse(app, c.name, argc, argv))
        return *status;
    OptionTexts given = given_options(app, texts);
    if (Expected<> values = values_given(given); !values)
        return usage_error(c.name, values.reason());
    Expected<Settings> s = read_request(given, [&] { return c.read_entries(typed); });
    if (s)
        if (Expected<> together = c.check ? c.check(typed, given, *s) : Expected<>(); !together)
            s = together.refusal();
    if (!s)
        return usage_error(c.name, s.reason());
    // Only the text has characters beyond ASCII: the locale is not looked up for the rest.
    s->ascii = s->ascii || (s->format == Format::text && !locale_is_utf8());
    return c.run(*s);
}

Expected<> read_ohms(const std::string& text, std::string_view name, double& value) {
    Expected<double> read = read_entry(parse_ohms, name, text);
    if (read)
        value = *read;
    return read ? Expected<>() : read.refusal();
}

// --touchstone - takes standard output, which one report has.
Expected<> one_standard_output(const Settings& s) {
    if (s.touchstone == "-" && s.format != Format::text)
        return Refusal{"--touchstone - writes to standard output, in place of --json, --csv or "
                       "--spice"};
    return {};
}

int run_design(Network n, int argc, char** argv) {
    std::vector<std::string_view> entries = design_entries(n);
    Command c{std::string(n->id), "Designs the " + std::string(n->title) + ".", for_design};
    for (std::string_view entry : entries)
        c.arguments.push_back({std::string(entry), entry_help(entry)});
    double zone = 0;
    double ztwo = 0;
    std::optional<Losses> losses;
    auto loss_text = [&](const Typed& t) { return n->min_loss ? std::string() : t.texts.back(); };
    bool sweep = false;
    c.read_entries = [&](const Typed& t) -> Expected<> {
        Expected<Losses> read = n->min_loss
                                    ? Expected<Losses>(Losses{})
                                    : read_entry(parse_losses, entries.back(), loss_text(t));
        if (Expected<> z = read_ohms(t.texts[0], entries[0], zone); !z)
            return z;
        if (!n->equal_impedances)
            if (Expected<> z = read_ohms(t.texts[1], entries[1], ztwo); !z)
                return z;
        if (!read)
            return read.refusal();
        losses = *read;
        sweep = loss_text(t).find(':') != std::string::npos;
        return {};
    };
    c.check = [&](const Typed& t, const OptionTexts&, const Settings& s) -> Expected<> {
        if (sweep && !s.touchstone.empty())
            return Refusal{"--touchstone takes one loss, not the sweep '" + loss_text(t) + "'"};
        if (Expected<> out = one_standard_output(s); !out)
            return out;
        std::string count = std::to_string(losses->count);
        if (sweep && !s.spice_name.empty() &&
            s.spice_name.size() + 1 + count.size() > max_spice_name)
            return Refusal{"--name '" + s.spice_name + "': with the sweep's " + count +
                           " losses its names would be longer than " +
                           std::to_string(max_spice_name) + " characters"};
        return {};
    };
    c.run = [&](const Settings& s) {
        Run run(s, sweep, losses->count);
        for (long i = 0; i < losses->count && !run.failed(); ++i)
            run.add(design(n, zone, n->equal_impedances ? zone : ztwo, losses->at(i)));
        return run.finish();
    };
    return run_command(c, argc, argv);
}

// The network the first argument names, or why it names none that the
// command takes.
Expected<Network> read_network(const std::string& text) {
    Network n = find_network(text);
    if (!n)
        return Refusal{unknown_network(text)};
    return n;
}

int run_check(int argc, char** argv) {
    Command c{"check",
              "Analyses a network built from given resistors, between a source Z1 and a load Z2.",
              for_check,
              {{"NETWORK", network_names()},
               {"Z1", "the source impedance, in ohms"},
               {"Z2", "the load impedance, in ohms"},
               {"R", "the resistors, in the network's order", true}}};
    Network n = nullptr;
    double zone = 0;
    double ztwo = 0;
    std::vector<double> resistors;
    c.read_entries = [&](const Typed& t) -> Expected<> {
        Expected<Network> read = read_network(t.texts[0]);
        if (!read)
            return read.refusal();
        n = *read;
        std::string names;
        for (const ResistorRole& r : n->resistors)
            names += " " + std::string(r.name);
        if (t.rest.size() != n->resistors.size())
            return Refusal{t.texts[0] + " takes " + std::to_string(n->resistors.size()) +
                           " resistors (" + names.substr(1) + "), not " +
                           std::to_string(t.rest.size())};
        Expected<> z = read_ohms(t.texts[1], "Z1", zone);
        if (z)
            z = read_ohms(t.texts[2], "Z2", ztwo);
        resistors.resize(t.rest.size());
        for (std::size_t i = 0; z && i < t.rest.size(); ++i)
            z = read_ohms(t.rest[i], n->resistors[i].name, resistors[i]);
        return z;
    };
    c.run = [&](const Settings& s) {
        Design d = checked_design(n, zone, ztwo, std::move(resistors));
        Run run(s, false, 1);
        run.add(d, analyse(n, d.resistors, zone, ztwo));
        return run.finish();
    };
    return run_command(c, argc, argv);
}

int run_cascade(int argc, char** argv) {
    Command c{"cascade",
              "Designs pads of one network in cascade, sharing the loss among them.",
              cascade_options,
              {{"NETWORK", cascadable()},
               {"Z", "the impedance throughout, in ohms"},
               {"LOSS", "the whole cascade's loss, in dB"}}};
    Network n = nullptr;
    double z = 0;
    double loss = 0;
    c.read_entries = [&](const Typed& t) -> Expected<> {
        Expected<Network> read = read_network(t.texts[0]);
        if (!read)
            return read.refusal();
        n = *read;
        if (!can_cascade(n))
            return Refusal{"'" + t.texts[0] +
                           "' cannot be cascaded: its ports are not both matched between one "
                           "impedance; cascade takes " +
                           cascadable()};
        Expected<> entry = read_ohms(t.texts[1], "Z", z);
        Expected<double> db = read_entry(parse_decibels, "LOSS", t.texts[2]);
        if (entry && !db)
            return db.refusal();
        loss = db ? *db : 0;
        return entry;
    };
    c.check = [](const Typed&, const OptionTexts& given, const Settings& s) -> Expected<> {
        if (!given.given("--stages"))
            return Refusal{"--stages: needs a number of stages (N|auto)"};
        if (Expected<> out = one_standard_output(s); !out)
            return out;
        if (s.format == Format::csv && s.sweep && s.touchstone.empty())
            return Refusal{"--freq: a cascade's CSV is a row for each stage; the whole "
                           "cascade's response is in the text and --json"};
        return {};
    };
    c.run = [&](const Settings& s) { return padcalc::run_cascade(n, z, loss, s.stages, s); };
    return run_command(c, argc, argv);
}

} // namespace

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
