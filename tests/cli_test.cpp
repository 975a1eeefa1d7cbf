// The command line end to end: the built program run with arguments and no
// console, as a script runs it.

#include "every_network.h"
#include "options/options.h"
#include "process.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <sys/stat.h>

namespace padcalc::testing {
namespace {

BareRun run_args(std::vector<std::string> args) {
    BareOptions options;
    options.args = std::move(args);
    return run_bare("", options);
}

// The design command of every network, with entries each can build.
std::vector<std::vector<std::string>> every_design() {
    std::vector<std::vector<std::string>> designs;
    for (const NetworkInfo& n : networks())
        designs.push_back(design_arguments(n));
    return designs;
}

std::vector<std::string> with(std::vector<std::string> args, const std::string& option) {
    args.push_back(option);
    return args;
}

// Standard output lost to a reader that has gone, with SIGPIPE ignored,
// stops a sweep of ten million losses at the first block that cannot be
// written, with one message and status 1. It once ran the whole sweep first.
TEST(CommandLineDesign, LostOutputStopsASweepAtOnce) {
    for (const char* format : {"--csv", "--json"}) {
        BareOptions closed;
        closed.args = {"tee", "50", "50", "0.00001:100:0.00001", format};
        closed.output_closed = true;
        BareRun run = run_bare("", closed);
        EXPECT_TRUE(run.exit.exited_with(1)) << format;
        EXPECT_TRUE(run.errors.ends_with("padcalc: write error: Broken pipe\n")) << run.errors;
        EXPECT_EQ(run.errors.find("write error"), run.errors.rfind("write error")) << run.errors;
        EXPECT_LT(run.exit.cpu_seconds(), 1.0) << format;
    }
}

// Every refusal of a usage error, at the boundaries of each rule: status 2,
// nothing on standard output, and first the one line that names the
// argument and what is wrong with it.
TEST(CommandLineRefusals, OneLineNamingTheArgument) {
    struct Case {
        std::vector<std::string> args;
        std::string line;
    } cases[] = {
        {{"tea", "50", "75", "10"}, "padcalc: 'tea': unknown command; did you mean tee?"},
        {{"tee", "50", "75", "10", "--seris", "E24"},
         "padcalc: '--seris': unknown option; did you mean --series?"},
        {{"cascade", "tee", "50", "20", "--stages", "2", "--package", "0402", "--csv", "--freq",
          "1G:2G:2"},
         "padcalc: --freq: a cascade's CSV is a row for each stage; the whole cascade's response "
         "is in the text and --json"},
        {{"TEE", "50", "75", "10"}, "padcalc: 'TEE': unknown command; did you mean tee?"},
        {{"tee", "50", "50", "10", "--power", "1W", "--rating", "1W", "--ambient", "-273.16"},
         "padcalc: --ambient '-273.16': below absolute zero, -273.15 C"},
        {{"tee", "50", "75", "10", "--JSON"},
         "padcalc: '--JSON': unknown option; did you mean --json?"},
        {{"tee", "50", "75", "10", "--series", "E24", "--series", "E12"},
         "padcalc: --series: given more than once"},
        {{"tee", "50", "75", "10", "--cp", "0.05pH"},
         "padcalc: --cp '0.05pH': not a capacitance: such as 0.05pF or 50f"},
        {{"tee", "50", "75", "10", "--spice", "--name", "A" + std::string(128, 'b')},
         "padcalc: --name 'A" + std::string(128, 'b') +
             "': longer than the 128 characters a SPICE name may have"},
        {{"tee", "50", "75", "10", "--sereis", "E24"},
         "padcalc: '--sereis': unknown option; did you mean --series?"},
        {{"check", "bridge", "50", "50", "1", "2", "3"}, "padcalc: 'bridge': unknown network"},
        {{"check", "pi-bl", "50", "50", "1", "2", "3"},
         "padcalc: 'pi-bl': unknown network; did you mean pi-bal?"},
        {{"tee", "50", "75"}, "padcalc: LOSS is required"},
        {{"tee", "50", "75", "10", "11"}, "padcalc: '11': unexpected argument"},
        {{"tee", "5O", "75", "10"},
         "padcalc: Z1 '5O': not a resistance in ohms: such as 50, 4k7, 2R2, 2.2M or 50ohm"},
        {{"tee", "50", "75", "10x"},
         "padcalc: LOSS '10x': not a loss in dB (10, 10dB) or a sweep FROM:TO:STEP (1:20:0.5)"},
        {{"tee", "50", "75", "1:10"},
         "padcalc: LOSS '1:10': a sweep is FROM:TO:STEP, such as 1:20:0.5"},
        {{"tee", "50", "75", "10", "--json", "--csv"}, "padcalc: --json excludes --csv"},
        {{"tee", "50", "75", "10", "--spice", "--json"}, "padcalc: --json excludes --spice"},
        {{"min-loss", "600", "150", "10"}, "padcalc: '10': unexpected argument"},
        {{"check", "tee", "50", "50", "1", "2", "3", "4"},
         "padcalc: tee takes 3 resistors (R1 R2 R3), not 4"},
        {{"check", "pi", "50", "50", "10", "10", "1k1k"},
         "padcalc: R3 '1k1k': nothing may follow a resistor code such as 4k7 or 2R2, not even a "
         "unit"},
        {{"tee", "2R2R", "50", "10"},
         "padcalc: Z1 '2R2R': nothing may follow a resistor code such as 4k7 or 2R2, not even a "
         "unit"},
        {{"check", "pi", "50", "50", "4k7R", "1k", "1k"},
         "padcalc: R1 '4k7R': nothing may follow a resistor code such as 4k7 or 2R2, not even a "
         "unit"},
        {{"tee", "50", "50", "0:10000000:1"},
         "padcalc: LOSS '0:10000000:1': the sweep has more than 10,000,000 losses"},
        {{"tee", "50", "50", "20:1:1"}, "padcalc: LOSS '20:1:1': TO must not be below FROM"},
        {{"tee", "50", "50", "1:20:0"}, "padcalc: LOSS '1:20:0': STEP must be greater than 0 dB"},
        {{"tee", "50", "50", "1:20:-1"}, "padcalc: LOSS '1:20:-1': STEP must be greater than 0 dB"},
        {{"tee", "50", "50", "0:1:1e999"}, "padcalc: LOSS '0:1:1e999': STEP must be finite"},
        {{"tee", "50", "50", "10", "--power", "0.25"},
         "padcalc: --power '0.25': a plain number could be watts or dBm: write W with an optional "
         "prefix (1W, 250mW), or dBm (30dBm)"},
        {{"tee", "50", "50", "10", "--power", "250m"},
         "padcalc: --power '250m': not a power: write W with an optional prefix (1W, 250mW), or "
         "dBm (30dBm)"},
        {{"tee", "50", "50", "10", "--power", "0W"},
         "padcalc: --power '0W': must be a finite power greater than 0 W"},
        {{"tee", "50", "50", "10", "--power", "1X"},
         "padcalc: --power '1X': not a power: write W with an optional prefix (1W, 250mW), or dBm "
         "(30dBm)"},
        {{"tee", "50", "50", "10", "--power", "1e999W"},
         "padcalc: --power '1e999W': must be a finite power greater than 0 W"},
        {{"tee", "50", "50", "10", "--power", "1W", "--rating", "0"},
         "padcalc: --rating '0': must be a finite power greater than 0 W"},
        {{"tee", "50", "50", "10", "--power", "1W", "--rating", "1e999"},
         "padcalc: --rating '1e999': must be a finite power greater than 0 W"},
        {{"tee", "50", "50", "10", "--series", "E24", "--tolerance", "-1"},
         "padcalc: --tolerance '-1': must be from 0 % to below 100 %"},
        {{"tee", "50", "50", "10", "--series", "E24", "--tolerance", "100"},
         "padcalc: --tolerance '100': must be from 0 % to below 100 %"},
        {{"tee", "50", "50", "10", "--series", "E7"},
         "padcalc: --series 'E7': not a series: E3, E6, E12, E24, E48, E96 or E192"},
        {{"tee", "50", "50", "10", "--series", ""}, "padcalc: --series: needs a value (E3..E192)"},
        {{"tee", "50", "50", "10", "--pairs"}, "padcalc: --pairs requires --series"},
        {{"tee", "50", "50", "10", "--spice", "--nearest"}, "padcalc: --nearest requires --series"},
        {{"tee", "50", "50", "10", "--rating", "1W"}, "padcalc: --rating requires --power"},
        {{"tee", "50", "50", "10", "--name", "PAD"}, "padcalc: --name requires --spice"},
        {{"tee", "50", "50", "10", "--tolerance", "1"}, "padcalc: --tolerance requires --series"},
        {{"tee", "50", "50", "10", "--load", "open"}, "padcalc: --load requires --power"},
        {{"check", "tee", "50", "50", "26", "26", "35", "--max-voltage", "5"},
         "padcalc: --max-voltage requires --power"},
        {{"tee", "50", "50", "10", "--power", "1W", "--ambient", "85"},
         "padcalc: --ambient requires --rating"},
        {{"tee", "50", "50", "10", "--power", "1W", "--rating", "1W", "--derate", "70:155"},
         "padcalc: --derate requires --ambient"},
        {{"tee", "50", "50", "10", "--spice", "--name", "1pad"},
         "padcalc: --name '1pad': not a SPICE name: a letter, then letters, digits and "
         "underscores"},
        {{"tee", "50", "50", "10", "--spice", "--name", "pad.x"},
         "padcalc: --name 'pad.x': not a SPICE name: a letter, then letters, digits and "
         "underscores"},
        {{"tee", "50", "50", "1:10:1", "--spice", "--name", std::string(128, 'N')},
         "padcalc: --name '" + std::string(128, 'N') +
             "': with the sweep's 10 losses its names would be longer than 128 characters"},
        {{"tee", "50", "50", "1:2:1", "--spice", "--name", std::string(127, 'N')},
         "padcalc: --name '" + std::string(127, 'N') +
             "': with the sweep's 2 losses its names would be longer than 128 characters"},
        {{"tee", "50", "50", "10", "--touchstone", "--json"},
         "padcalc: --touchstone: needs a value (FILE), not the option '--json'"},
        {{"tee", "50", "50", "10", "--touchstone", ""},
         "padcalc: --touchstone: needs a value (FILE)"},
        {{"tee", "50", "50", "1:2:1", "--touchstone", "x.s2p"},
         "padcalc: --touchstone takes one loss, not the sweep '1:2:1'"},
        {{"tee", "50", "50", "10", "--touchstone", "-", "--json"},
         "padcalc: --touchstone - writes to standard output, in place of --json, --csv or --spice"},
        {{"cascade", "tee", "50", "10", "--stages", "2", "--touchstone", "-", "--csv"},
         "padcalc: --touchstone - writes to standard output, in place of --json, --csv or --spice"},
        {{"tee", "50", "50", "10", "--touchstone", "x.s2p", "--freq", "10:10:3"},
         "padcalc: --freq '10:10:3': START and STOP are one frequency, which takes one point, not "
         "3"},
        {{"tee", "50", "50", "10", "--touchstone", "x.s2p", "--freq", "1M:1G:1"},
         "padcalc: --freq '1M:1G:1': one point cannot reach from START to STOP: make them equal, "
         "or give two points or more"},
        {{"tee", "50", "50", "10", "--touchstone", "x.s2p", "--freq", "1G:1M:11"},
         "padcalc: --freq '1G:1M:11': STOP must not be below START"},
        {{"tee", "50", "50", "10", "--touchstone", "x.s2p", "--freq", "0:1M:3"},
         "padcalc: --freq '0:1M:3': START must be finite and greater than 0 Hz"},
        {{"tee", "50", "50", "10", "--touchstone", "x.s2p", "--freq", "1k:1M:0"},
         "padcalc: --freq '1k:1M:0': POINTS must be a whole number from 1 to 1,000,000"},
        {{"tee", "50", "50", "10", "--touchstone", "x.s2p", "--freq", "1k:1M:1000001"},
         "padcalc: --freq '1k:1M:1000001': POINTS must be a whole number from 1 to 1,000,000"},
        {{"--help", "x"}, "padcalc: 'x': unexpected argument"},
        {{"--bogus"}, "padcalc: '--bogus': unknown option"},
    };
    for (const Case& c : cases) {
        BareRun run = run_args(c.args);
        EXPECT_TRUE(run.exit.exited_with(2)) << c.line;
        EXPECT_EQ(run.output, "") << c.line;
        EXPECT_EQ(run.errors.substr(0, run.errors.find('\n')), c.line);
        EXPECT_EQ(std::count(run.errors.begin(), run.errors.end(), '\n'), 2) << run.errors;
    }
}

TEST(CommandLineNumbers, ReadAsWritten) {
    // A capital K is kilo, as IEC 60062 writes resistors.
    BareRun run = run_args({"check", "pi", "50", "50", "96.25", "96R25", "0.07115K", "--json"});
    EXPECT_TRUE(run.exit.exited_with(0)) << run.errors;
    EXPECT_EQ(nlohmann::json::parse(run.output)["resistors"]["R3"], 71.15);
    // Each loss of a sweep is the nearest double to the decimal FROM + k STEP.
    run = run_args({"tee", "50", "50", "0.1:0.3:0.1", "--csv"});
    EXPECT_TRUE(run.exit.exited_with(0)) << run.errors;
    EXPECT_NE(run.output.find("\ntee,50,50,0.3,"), std::string::npos) << run.output;
    EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\n'), 4);
    // A rating is watts even without the unit.
    run = run_args({"tee", "50", "50", "10", "--power", "1W", "--rating", "0.25"});
    EXPECT_TRUE(run.exit.exited_with(1));
    EXPECT_NE(run.errors.find("over its rating of 0.25 W"), std::string::npos) << run.errors;
    // Frequencies far apart are written finite and ascending.
    run = run_args({"tee", "50", "50", "10", "--touchstone", "-", "--freq", "1e-300:1e300:5"});
    EXPECT_TRUE(run.exit.exited_with(0)) << run.errors;
    EXPECT_EQ(run.output.find("inf"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("\n1 "), std::string::npos) << run.output;
}

// What the help must say: every network and how to call it, every option
// with the units it takes, and the exit statuses.
TEST(CommandLineDesign, HelpNamesEveryNetworkOptionAndStatus) {
    BareRun run = run_args({"--help"});
    EXPECT_TRUE(run.exit.exited_with(0));
    EXPECT_EQ(run.errors, "");
    const std::string& help = run.output;
    for (const NetworkInfo& n : networks())
        EXPECT_NE(help.find("\n  " + std::string(n.id) + " "), std::string::npos) << n.id;
    for (const Option& o : options())
        EXPECT_NE(help.find("\n  " + std::string(o.name) + " "), std::string::npos) << o.name;
    for (const char* said :
         {"  a  Unbalanced Tee Network\n", "  --power P ", "watts\n                      or dBm",
          "  --rating R ", "R watts", "at least 0 and below 100", "Exit status: 0",
          "1 when one cannot be built", "2 for a usage\nerror"})
        EXPECT_NE(help.find(said), std::string::npos) << said;
}

// A command's own help describes each option it takes, flags as well as
// options with a value, in the words of the main help.
TEST(CommandLineDesign, EachCommandsHelpDescribesItsOptions) {
    struct Command {
        std::vector<std::string> args;
        unsigned takes;
    } commands[] = {{{"tee", "--help"}, for_design},
                    {{"check", "--help"}, for_check},
                    {{"cascade", "--help"}, cascade_options}};
    for (const Command& c : commands) {
        BareRun run = run_args(c.args);
        EXPECT_TRUE(run.exit.exited_with(0)) << c.args[0];
        for (const Option& o : options()) {
            if (!(o.commands & c.takes))
                continue;
            std::string_view first_line = o.help.substr(0, o.help.find('\n'));
            EXPECT_NE(run.output.find(first_line), std::string::npos)
                << c.args[0] << " --help: " << o.name;
        }
    }
}

// Every format, for every network: each CSV row has as many fields as the
// header; every key the manual names is there when its option is given;
// the SPICE values are the JSON build's, the nearest with --nearest and the
// best without.
TEST(CommandLineFormats, RowsKeysAndExportsAgree) {
    for (const auto& entries : every_design()) {
        std::vector<std::string> args = entries;
        for (const char* option :
             {"--series", "E12", "--pairs", "--tolerance", "2", "--power", "2W", "--rating", "5W"})
            args.push_back(option);
        BareRun csv = run_args(with(args, "--csv"));
        std::istringstream rows(csv.output);
        std::string header;
        std::getline(rows, header);
        auto fields = [](const std::string& line) {
            return std::count(line.begin(), line.end(), ',');
        };
        for (std::string row; std::getline(rows, row);)
            EXPECT_EQ(fields(row), fields(header)) << entries[0] << "\n" << header << "\n" << row;

        auto json = nlohmann::json::parse(run_args(with(args, "--json")).output);
        for (const char* key : {"network", "z1", "z2", "loss_db", "min_loss_db", "buildable",
                                "resistors", "power", "build"})
            EXPECT_TRUE(json.contains(key)) << entries[0] << " " << key;
        for (const char* key :
             {"available_w", "fed_inward", "fed_outward", "rating_w", "over_rating"})
            EXPECT_TRUE(json["power"].contains(key)) << entries[0] << " " << key;
        for (const char* which : {"nearest", "best"}) {
            auto build = json["build"][which];
            for (const char* key :
                 {"resistors", "loss_db", "z_in", "z_out", "return_loss_in_db",
                  "return_loss_out_db", "vswr_in", "vswr_out", "merit", "tolerance", "power"})
                EXPECT_TRUE(build.contains(key)) << entries[0] << " " << which << " " << key;
            std::vector<std::string> spice_args = with(args, "--spice");
            if (std::string(which) == "nearest")
                spice_args.push_back("--nearest");
            BareRun spice = run_args(spice_args);
            for (auto& [name, resistor] : build["resistors"].items()) {
                // A split arm's halves are both the resistor's value.
                for (const std::string& part : {name + " ", name + "A "}) {
                    auto at = spice.output.find("\n" + part);
                    if (at == std::string::npos)
                        continue;
                    std::string line =
                        spice.output.substr(at + 1, spice.output.find('\n', at + 1) - at - 1);
                    EXPECT_EQ(std::strtod(line.substr(line.rfind(' ') + 1).c_str(), nullptr),
                              resistor["ohms"].get<double>())
                        << entries[0] << " " << which << " " << line;
                }
            }
            EXPECT_NE(spice.output.find("values: " + std::string(which) + " E12 build"),
                      std::string::npos)
                << spice.output;
        }
    }
}

std::string read_file(const std::string& path) {
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(CommandLineExport, TouchstoneFileWholeOrNotAtAll) {
    char folder[] = "/tmp/padcalc-touchstone-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    std::string file = std::string(folder) + "/pad.s2p";
    BareRun run = run_args({"min-loss", "600", "150", "--touchstone", file, "--freq", "1k:1M:4"});
    EXPECT_TRUE(run.exit.exited_with(0)) << run.errors;
    std::string s2p = read_file(file);
    EXPECT_NE(s2p.find("[Number of Frequencies] 4\n"), std::string::npos) << s2p;
    EXPECT_NE(s2p.find("[Reference] 600 150\n"), std::string::npos) << s2p;
    EXPECT_TRUE(s2p.ends_with("[End]\n"));

    // A pad that cannot be built gets no file.
    std::string unbuilt = std::string(folder) + "/unbuilt.s2p";
    run = run_args({"tee", "50", "75", "3", "--touchstone", unbuilt});
    EXPECT_TRUE(run.exit.exited_with(1));
    EXPECT_NE(access(unbuilt.c_str(), F_OK), 0);

    BareRun out = run_args({"min-loss", "600", "150", "--touchstone", "-", "--freq", "1k:1M:4"});
    EXPECT_EQ(out.output, s2p);

    for (std::string bad : {std::string(folder) + "/no/such/folder.s2p", std::string(folder)}) {
        run = run_args({"tee", "50", "75", "10", "--touchstone", bad});
        EXPECT_TRUE(run.exit.exited_with(1)) << bad;
        EXPECT_NE(run.errors.find("Touchstone"), std::string::npos) << run.errors;
    }
    std::remove(file.c_str());
    rmdir(folder);
}

// A pad that cannot be built, or whose response is not worked out (values
// beyond the analysis's range), gets no file: the file already there stays
// as it was, and the message that says why says so. The file once got the
// figures the program said it could not work out (-nan), or figures the
// JSON report left out.
TEST(CommandLineExport, NoTouchstoneFileOfWhatIsNotWorkedOut) {
    char folder[] = "/tmp/padcalc-touchstone-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    std::string file = std::string(folder) + "/pad.s2p";
    struct Case {
        std::vector<std::string> args;
        std::string said;
    } cases[] = {
        {{"h", "1e300", "1e300", "40", "--package", "0603", "--freq", "1M:1G:2"},
         "padcalc: the response over frequency is not worked out: the impedances must be from "
         "1e-9 ohm to 1e15 ohm; " +
             file + " was left as it was\n"},
        {{"tee", "50", "50", "300", "--package", "0402", "--freq", "1M:1G:2", "--json"},
         "padcalc: the response over frequency is not worked out: the resistors must be from "
         "1e-9 ohm to 1e15 ohm; " +
             file + " was left as it was\n"},
        {{"tee", "50", "50", "300"},
         "padcalc: the response over frequency is not worked out: the resistors must be from "
         "1e-9 ohm to 1e15 ohm; " +
             file + " was left as it was\n"},
        {{"tee", "50", "75", "3"},
         "padcalc: cannot be built: the loss must be greater than 5.719 dB for these impedances; " +
             file + " was left as it was\n"},
        {{"cascade", "pi", "50", "580", "--stages", "2", "--cp", "0.05pF"},
         "padcalc: stage 2: the response over frequency is not worked out: the resistors must be "
         "from 1e-9 ohm to 1e15 ohm; " +
             file + " was left as it was\n"},
    };
    for (Case& c : cases) {
        std::ofstream(file) << "old";
        c.args.insert(c.args.end(), {"--touchstone", file});
        BareRun run = run_args(c.args);
        EXPECT_TRUE(run.exit.exited_with(1)) << c.args[0];
        EXPECT_EQ(run.errors, c.said);
        EXPECT_EQ(read_file(file), "old") << c.args[0];
    }
    // Where there was no file, none is made, and the message does not speak of one.
    std::remove(file.c_str());
    BareRun none = run_args({"tee", "50", "75", "3", "--touchstone", file});
    EXPECT_EQ(none.errors, "padcalc: cannot be built: the loss must be greater than 5.719 dB for "
                           "these impedances; no Touchstone file was written\n");
    EXPECT_FALSE(std::filesystem::exists(file));
    rmdir(folder);
}

// The report comes first, whole, and the Touchstone file after it, as it is
// worked out: here into a FIFO, which the program opens (and waits on) only
// once the report is out. A FIFO was once refused, and the file came first.
TEST(CommandLineExport, TheReportComesBeforeTheTouchstoneFile) {
    char folder[] = "/tmp/padcalc-touchstone-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    std::string fifo = std::string(folder) + "/fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        close(out[1]);
        exec_command(
            {program, "tee", "50", "50", "10", "--freq", "1M:1G:1000", "--touchstone", fifo});
    }
    close(out[1]);
    const std::string report_end = "     1.000 GHz    10.0000      > 300      > 300      0.00\n";
    std::string report;
    auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!report.ends_with(report_end) && std::chrono::steady_clock::now() < give_up) {
        pollfd ready{out[0], POLLIN, 0};
        char buf[65536];
        ssize_t got = poll(&ready, 1, 100) > 0 ? read(out[0], buf, sizeof buf) : 0;
        if (got > 0)
            report.append(buf, static_cast<std::size_t>(got));
    }
    EXPECT_TRUE(report.ends_with(report_end)) << report.substr(report.size() - 200);
    // Not to wait for a writer that has gone, the FIFO is opened without
    // waiting, and read until the program has ended and the text with it.
    int file = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    std::string s2p;
    int status = 0;
    bool ended = false;
    while (!ended && std::chrono::steady_clock::now() < give_up) {
        ended = waitpid(pid, &status, WNOHANG) == pid;
        char buf[65536];
        for (ssize_t got; (got = read(file, buf, sizeof buf)) > 0;)
            s2p.append(buf, static_cast<std::size_t>(got));
        usleep(1000);
    }
    if (!ended) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
    close(file);
    close(out[0]);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_NE(s2p.find("[Number of Frequencies] 1000\n"), std::string::npos) << s2p.substr(0, 300);
    EXPECT_TRUE(s2p.ends_with("[End]\n"));
    struct stat st {};
    EXPECT_EQ(stat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode)) << "still a FIFO";
    std::remove(fifo.c_str());
    rmdir(folder);
}

// The program's own descriptors are written where they stand, as "-" is:
// standard output appended to a log after the report (as /dev/stdout >> log
// names it), and a pipe on another descriptor (as a shell's >(gzip > f.gz)
// gives /dev/fd/63). The log was once replaced, losing the report, and the
// pipe refused. They are named under /proc/self/fd, where a writer that has
// regressed can neither make nor rename a file.
TEST(CommandLineExport, TouchstoneFileToTheProgramsOwnDescriptors) {
    char folder[] = "/tmp/padcalc-touchstone-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    std::string log = std::string(folder) + "/log";
    std::ofstream(log) << "before\n";
    int pipe_ends[2];
    ASSERT_EQ(pipe(pipe_ends), 0);
    pid_t pid = fork();
    if (pid == 0) {
        int appended = open(log.c_str(), O_WRONLY | O_APPEND);
        dup2(appended, STDOUT_FILENO);
        exec_command({program, "cascade", "tee", "50", "20", "--stages", "2", "--touchstone",
                      "/proc/self/fd/1"});
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    std::string logged = read_file(log);
    EXPECT_TRUE(logged.starts_with("before\nCascade of 2 stages")) << logged.substr(0, 100);
    EXPECT_TRUE(logged.ends_with("[End]\n"));
    EXPECT_LT(logged.find("Cascade of 2 "), logged.find("[Version] 2.0\n")) << "the report first";

    pid = fork();
    if (pid == 0) {
        close(pipe_ends[0]);
        dup2(pipe_ends[1], 3);
        int report = open(log.c_str(), O_WRONLY | O_TRUNC);
        dup2(report, STDOUT_FILENO);
        exec_command({program, "tee", "50", "50", "10", "--touchstone", "/proc/self/fd/3"});
    }
    close(pipe_ends[1]);
    std::string piped;
    char buf[65536];
    for (ssize_t got; (got = read(pipe_ends[0], buf, sizeof buf)) > 0;)
        piped.append(buf, static_cast<std::size_t>(got));
    close(pipe_ends[0]);
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_TRUE(piped.starts_with("! padcalc: Unbalanced Tee pad")) << piped.substr(0, 100);
    EXPECT_TRUE(piped.ends_with("[End]\n"));
    EXPECT_TRUE(read_file(log).starts_with("Unbalanced Tee, 50 "));
    std::remove(log.c_str());
    rmdir(folder);
}

// A Touchstone file named through a symbolic link is written where the link
// points, and the link stays; it was once replaced by a file of its own.
TEST(CommandLineExport, TouchstoneFileThroughASymbolicLink) {
    char folder[] = "/tmp/padcalc-touchstone-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    std::string link = std::string(folder) + "/link.s2p";
    std::string target = std::string(folder) + "/pad.s2p";
    ASSERT_EQ(symlink("pad.s2p", link.c_str()), 0);
    BareRun run = run_args({"tee", "50", "50", "10", "--touchstone", link, "--freq", "1k:1M:4"});
    EXPECT_TRUE(run.exit.exited_with(0)) << run.errors;
    struct stat st {};
    ASSERT_EQ(lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_TRUE(read_file(target).ends_with("[End]\n"));
    std::remove(link.c_str());
    std::remove(target.c_str());
    rmdir(folder);
}

TEST(CommandLineCascade, UsageErrorsNameTheArgument) {
    struct Case {
        std::vector<std::string> args;
        const char* named;
    } cases[] = {
        {{"tee", "50", "75", "10", "--power", "1W", "--load", "0.5:1"}, "--load '0.5:1'"},
        {{"tee", "50", "75", "10", "--power", "1W", "--load", "0.99:1"}, "at least 1:1"},
        {{"tee", "50", "75", "10", "--power", "1W", "--load", "3"}, "--load '3'"},
        {{"tee", "50", "75", "10", "--power", "1W", "--rating", "1", "--ambient", "155.5"},
         "--ambient '155.5'"},
        {{"tee", "50", "75", "10", "--power", "1W", "--rating", "1", "--ambient", "100", "--derate",
          "90:90"},
         "--derate '90:90'"},
        {{"tee", "50", "75", "10", "--power", "1W", "--max-voltage", "0V"}, "--max-voltage '0V'"},
        {{"tee", "50", "75", "10", "--load", "open"}, "--load"},
        {{"cascade", "tee", "50", "10", "--stages", "0"}, "--stages '0'"},
        {{"cascade", "tee", "50", "10", "--stages", "11"}, "--stages '11'"},
        {{"cascade", "tee", "50", "10", "--stages", "auto", "--power", "1W"}, "--stages auto"},
        {{"cascade", "tee", "50", "10"}, "--stages"},
        {{"cascade", "tee", "50", "10", "--stages", "2", "--split", "dB"}, "--split 'dB'"},
        {{"cascade", "min-loss", "50", "10", "--stages", "2"}, "'min-loss'"},
        {{"cascade", "l-pad", "50", "10", "--stages", "2"}, "'l-pad'"},
        {{"tee", "50", "75", "10", "--stages", "2"}, "--stages"},
    };
    for (const Case& c : cases) {
        BareRun run = run_args(c.args);
        EXPECT_TRUE(run.exit.exited_with(2)) << c.named;
        EXPECT_EQ(run.output, "") << c.named;
        EXPECT_NE(run.errors.find(c.named), std::string::npos) << run.errors;
    }
}

} // namespace
} // namespace padcalc::testing

namespace padcalc::testing {
namespace {

nlohmann::json json_of(std::vector<std::string> args) {
    args.push_back("--json");
    BareRun run = run_args(args);
    EXPECT_TRUE(run.exit.exited_with(0)) << run.errors;
    return nlohmann::json::parse(run.output);
}

// A value that makes no part, no frequency or no band is a usage error that
// names the argument.
TEST(CommandLineRadio, BadValuesExitWithTwo) {
    struct Case {
        std::vector<std::string> args;
        const char* named;
    } cases[] = {
        {{"--cp", "-0.05pF"}, "--cp '-0.05pF'"},
        {{"--cg=-1p"}, "--cg '-1p'"},
        {{"--ls", "-1nH"}, "--ls '-1nH'"},
        {{"--cp", "1nH"}, "--cp '1nH'"},
        {{"--freq", "0:1G:3"}, "0:1G:3"},
        {{"--freq", "-1M:1G:3"}, "-1M:1G:3"},
        {{"--freq", "1G:1M:3"}, "1G:1M:3"},
        {{"--freq", "1M:1G:1000001"}, "1000001"},
        {{"--package", "1206"}, "1206"},
        {{"--cp", "1p", "--flat", "0dB"}, "--flat"},
        {{"--cp", "1p", "--match", "-1"}, "--match"},
        {{"--compare"}, "--compare"},
        {{"--cp", "1p", "--freq", "1M:2e15:3"},
         "'1M:2e15:3': with the parts' model, at most 1 PHz"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"tee", "50", "75", "10"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        BareRun run = run_args(args);
        EXPECT_TRUE(run.exit.exited_with(2)) << c.named;
        EXPECT_EQ(run.output, "") << c.named;
        EXPECT_NE(run.errors.find(c.named), std::string::npos) << run.errors;
    }
}

// An 80 dB Pi with 0.05 pF across each part gives 62 dB at 100 MHz; and every
// figure of a sweep whose parts are all zero is the resistive analysis's,
// the same at every frequency.
TEST(CommandLineRadio, SweepOfZeroPartsIsTodaysAnalysis) {
    auto pi = json_of({"pi", "50", "50", "80", "--cp", "0.05pF", "--freq", "100M:100M:1"});
    EXPECT_NEAR(pi["sweep"][0]["loss_db"].get<double>(), 62.0, 0.1);
    for (std::vector<std::string> args : {std::vector<std::string>{"h", "50", "75", "10"},
                                          {"check", "pi", "50", "50", "96", "96", "71"}}) {
        auto plain = json_of(with(with(args, "--freq"), "1M:20G:7"));
        args.insert(args.end(), {"--ls", "0", "--cp", "0", "--cg", "0", "--freq", "1M:20G:7"});
        auto zero = json_of(args);
        EXPECT_EQ(zero["holds"], "beyond 1 THz");
        ASSERT_EQ(zero["sweep"].size(), 7u);
        for (std::size_t i = 0; i < 7; ++i) {
            // The reflections to 1e-12, as the return losses of a match are noise.
            EXPECT_NEAR(zero["sweep"][i]["loss_db"].get<double>(),
                        plain["sweep"][i]["loss_db"].get<double>(), 1e-12);
            for (const char* s : {"s11", "s21", "s12", "s22"})
                for (int part : {0, 1})
                    EXPECT_NEAR(zero["sweep"][i][s][part].get<double>(),
                                plain["sweep"][i][s][part].get<double>(), 1e-12)
                        << s;
            EXPECT_EQ(zero["sweep"][i]["loss_db"], zero["sweep"][0]["loss_db"]);
        }
        EXPECT_NEAR(plain["sweep"][0]["loss_db"].get<double>(), plain["loss_db"].get<double>(),
                    args[0] == "check" ? 0 : 1e-9);
    }
}

// The file and the report are one analysis: the exported build's sweep.
TEST(CommandLineRadio, TouchstoneAgreesWithTheJsonSweep) {
    char folder[] = "/tmp/padcalc-rf-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    std::string file = std::string(folder) + "/pad.s2p";
    auto report = json_of({"h", "50", "75", "10", "--package", "0402", "--cg", "0.1pF", "--series",
                           "E24", "--pairs", "--freq", "1M:20G:101", "--touchstone", file});
    const auto& sweep = report["build"]["best"]["sweep"];
    std::ifstream in(file);
    std::vector<std::vector<double>> lines;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '!' || line[0] == '[' || line[0] == '#')
            continue;
        std::istringstream numbers(line);
        lines.emplace_back(std::istream_iterator<double>(numbers), std::istream_iterator<double>());
    }
    ASSERT_EQ(lines.size(), 101u);
    ASSERT_EQ(sweep.size(), 101u);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        ASSERT_EQ(lines[i].size(), 9u);
        EXPECT_EQ(lines[i][0], sweep[i]["freq_hz"].get<double>());
        int column = 1;
        for (const char* s : {"s11", "s21", "s12", "s22"})
            for (int part : {0, 1})
                EXPECT_NEAR(lines[i][column++], sweep[i][s][part].get<double>(), 1e-9) << s;
    }
    std::remove(file.c_str());
    rmdir(folder);
}

// How far up a pad holds: the text names the limit reached first, JSON says
// never or beyond with null.
TEST(CommandLineRadio, WhereThePadHolds) {
    setenv("LC_ALL", "C", 1);
    BareRun text = run_args({"check", "pi", "50", "50", "1e15", "1e15", "1n", "--ls", "1nH"});
    unsetenv("LC_ALL");
    EXPECT_TRUE(text.exit.exited_with(0)) << text.errors;
    // A series inductance: |S11| reaches 0.1 where wL = 100/sqrt(99) ohm.
    EXPECT_NE(text.output.find(
                  "it holds to 1.599 GHz; above it the input return loss falls below 20 dB\n"),
              std::string::npos)
        << text.output;

    auto never = json_of({"check", "tee", "100", "100", "27", "27", "36", "--cp", "0.1p"});
    EXPECT_TRUE(never["holds_to_hz"].is_null());
    EXPECT_EQ(never["holds"], "never");
    EXPECT_EQ(never["holds_limit"], "return_loss_in_db");
    auto l_pad = json_of({"l-pad", "50", "6", "--package", "0402"});
    EXPECT_EQ(l_pad["holds"], "to"); // its unmatched outward port does not count

    // Each network of the table but the minimal loss pads; in the text, each
    // id in a column as wide as the longest id and a gap of two.
    std::vector<std::string> compare = {"pi",   "50",   "50",        "20",      "--package", "0603",
                                        "--cg", "0.1p", "--compare", "--match", "25dB"};
    std::size_t others = 0;
    for (const NetworkInfo& n : networks())
        if (!n.min_loss)
            ++others;
    std::string said = run_args(compare).output;
    std::istringstream lines(said.substr(said.find("with these parts:\n") + 18));
    std::size_t listed = 0;
    for (std::string line; std::getline(lines, line) && line.starts_with("  "); ++listed) {
        std::string id = line.substr(2, line.find(' ', 2) - 2);
        EXPECT_TRUE(find_network(id)) << line;
        EXPECT_EQ(line.find_first_not_of(' ', 2 + id.size()), longest_id() + 4) << line;
    }
    EXPECT_EQ(listed, others) << said;
    auto compared = json_of(compare);
    ASSERT_EQ(compared["compare"].size(), others);
    for (std::size_t i = 0; i < others; ++i) {
        EXPECT_EQ(compared["compare"][i].size(), 3u);
        if (i > 0) {
            EXPECT_GE(compared["compare"][i - 1]["holds_to_hz"].get<double>(),
                      compared["compare"][i]["holds_to_hz"].get<double>());
        }
    }
}

} // namespace
} // namespace padcalc::testing
