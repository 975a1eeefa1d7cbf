// The command line end to end: the built program run with arguments and no
// console, as a script runs it.

#include "process.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <sstream>
#include <sys/stat.h>

namespace padcalc::testing {
namespace {

BareRun run_args(std::vector<std::string> args) {
    BareOptions options;
    options.args = std::move(args);
    return run_bare("", options);
}

// The design commands of every network, with entries each can build.
const std::vector<std::vector<std::string>> designs = {
    {"tee", "50", "75", "10"},    {"h", "600", "150", "20"},  {"pi", "50", "75", "10"},
    {"pi-bal", "75", "50", "10"}, {"min-loss", "600", "150"}, {"min-loss-bal", "600", "150"},
    {"bridged-tee", "50", "10"},
};

std::vector<std::string> with(std::vector<std::string> args, const std::string& option) {
    args.push_back(option);
    return args;
}

bool is_ascii(const std::string& text) {
    for (char ch : text)
        if (static_cast<unsigned char>(ch) > 0x7f)
            return false;
    return true;
}

TEST(CommandLineDesign, EveryNetworkInTextJsonAndCsv) {
    setenv("LC_ALL", "C.UTF-8", 1);
    for (const auto& args : designs) {
        BareRun text = run_args(args);
        EXPECT_TRUE(text.exit.exited_with(0)) << args[0] << text.errors;
        EXPECT_EQ(text.errors, "");
        EXPECT_NE(text.output.find("R1  "), std::string::npos) << text.output;
        EXPECT_NE(text.output.find(" Ω\n"), std::string::npos) << text.output;
        EXPECT_NE(text.output.find("┬"), std::string::npos) << text.output;

        BareRun json = run_args(with(args, "--json"));
        EXPECT_TRUE(json.exit.exited_with(0)) << args[0];
        auto parsed = nlohmann::json::parse(json.output);
        EXPECT_EQ(parsed["network"], args[0]);
        EXPECT_EQ(parsed["buildable"], true);
        EXPECT_GT(parsed["resistors"]["R1"].get<double>(), 0);
        for (const char* key : {"z1", "z2", "loss_db", "min_loss_db"})
            EXPECT_TRUE(parsed[key].is_number()) << key;

        BareRun csv = run_args(with(args, "--csv"));
        EXPECT_TRUE(csv.exit.exited_with(0));
        EXPECT_TRUE(csv.output.starts_with("network,z1,z2,loss_db,min_loss_db,buildable,R1,"))
            << csv.output;
        EXPECT_NE(csv.output.find("\n" + args[0] + ","), std::string::npos) << csv.output;
    }
    setenv("LC_ALL", "C", 1);
    for (const auto& args : designs) {
        BareRun text = run_args(args);
        EXPECT_TRUE(is_ascii(text.output)) << text.output;
        EXPECT_NE(text.output.find(" ohm\n"), std::string::npos) << text.output;
    }
    unsetenv("LC_ALL");
}

// The menu prints 3 decimals of the same single-precision values.
TEST(CommandLineDesign, AgreesWithTheMenuAndTheTables) {
    BareRun run = run_args({"tee", "600", "600", "10", "--json"});
    auto tee = nlohmann::json::parse(run.output);
    EXPECT_NEAR(tee["resistors"]["R1"].get<double>(), 311.696, 0.0005);
    EXPECT_NEAR(tee["resistors"]["R3"].get<double>(), 421.637, 0.0005);
    run = run_args({"pi-bal", "75", "75", "10", "--json"});
    auto pi = nlohmann::json::parse(run.output);
    EXPECT_NEAR(pi["resistors"]["R1"].get<double>(), 144.371, 0.0005);
    EXPECT_NEAR(pi["resistors"]["R3"].get<double>(), 53.363, 0.0005);
    run = run_args({"bridged-tee", "50ohm", "10dB", "--csv"});
    EXPECT_NE(run.output.find("\nbridged-tee,50,50,10,0,true,50,50,23.12"), std::string::npos)
        << run.output;
    run = run_args({"check", "tee", "50", "50", "8.55", "8R55", "141.9", "--json"});
    EXPECT_TRUE(run.exit.exited_with(0)) << run.errors;
    auto check = nlohmann::json::parse(run.output);
    EXPECT_NEAR(check["loss_db"].get<double>(), 3.0, 0.001);
    EXPECT_NEAR(check["z_in"].get<double>(), 50.0, 0.01);
    EXPECT_GT(check["return_loss_in_db"].get<double>(), 60);
    // A perfect match has an infinite return loss, which JSON writes as null.
    run = run_args({"check", "bridged-tee", "50", "50", "50", "50", "25", "100", "--json"});
    check = nlohmann::json::parse(run.output);
    EXPECT_TRUE(check["return_loss_out_db"].is_null()) << run.output;
    EXPECT_EQ(check["vswr_out"], 1.0);
}

TEST(CommandLineDesign, SweepGivesADesignForEachLoss) {
    BareRun run = run_args({"pi", "50", "50", "1:20:0.5", "--json"});
    EXPECT_TRUE(run.exit.exited_with(0));
    auto sweep = nlohmann::json::parse(run.output);
    ASSERT_TRUE(sweep.is_array());
    ASSERT_EQ(sweep.size(), 39u);
    EXPECT_EQ(sweep.back()["loss_db"], 20.0);
    run = run_args({"tee", "50", "75", "1:10:1", "--csv"});
    // Losses up to 5 dB are below the least loss of 5.719 dB: the sweep goes on.
    EXPECT_TRUE(run.exit.exited_with(1));
    EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\n'), 11);
    std::size_t unbuildable = 0;
    for (auto at = run.output.find(",false,"); at != std::string::npos;
         at = run.output.find(",false,", at + 1))
        ++unbuildable;
    EXPECT_EQ(unbuildable, 5u) << run.output;
    EXPECT_NE(run.errors.find("5.719 dB"), std::string::npos) << run.errors;
}

TEST(CommandLineDesign, UnbuildableDesignsExitWithOne) {
    struct Case {
        std::vector<std::string> args;
        const char* why;
    } cases[] = {
        {{"tee", "50", "75", "3", "--json"}, "5.719 dB"},
        {{"pi", "50", "50", "0", "--json"}, "0.000 dB"},
        {{"min-loss", "150", "600", "--json"}, "inward impedance must be greater"},
        {{"tee", "-50", "75", "10", "--json"}, "positive"},
        {{"bridged-tee", "0", "10", "--json"}, "positive"},
        {{"check", "pi", "50", "50", "-1", "50", "50", "--json"}, "positive"},
    };
    for (const Case& c : cases) {
        BareRun run = run_args(c.args);
        EXPECT_TRUE(run.exit.exited_with(1)) << c.args[0];
        EXPECT_NE(run.errors.find(c.why), std::string::npos) << run.errors;
        auto parsed = nlohmann::json::parse(run.output);
        EXPECT_EQ(parsed["buildable"], false) << run.output;
    }
}

// A usage error writes nothing to standard output and names the argument.
TEST(CommandLineDesign, UsageErrorsExitWithTwo) {
    struct Case {
        std::vector<std::string> args;
        const char* named;
    } cases[] = {
        {{"tea", "50", "75", "10"}, "tea"},
        {{"tee", "50", "75"}, "LOSS"},
        {{"tee", "50", "75", "10", "11"}, "11"},
        {{"tee", "5O", "75", "10"}, "5O"},
        {{"tee", "50", "75", "10x"}, "10x"},
        {{"tee", "50", "75", "1:10"}, "1:10"},
        {{"tee", "50", "75", "10", "--bogus"}, "--bogus"},
        {{"tee", "50", "75", "10", "--json", "--csv"}, "--csv"},
        {{"min-loss", "600", "150", "10"}, "10"},
        {{"check", "tee", "50", "50", "10", "10"}, "3 resistors"},
        {{"check", "bridge", "50", "50", "10", "10"}, "bridge"},
        {{"check", "pi", "50", "50", "10", "10", "1k1k"}, "1k1k"},
    };
    for (const Case& c : cases) {
        BareRun run = run_args(c.args);
        EXPECT_TRUE(run.exit.exited_with(2)) << c.args[0] << " " << c.named;
        EXPECT_EQ(run.output, "") << c.named;
        EXPECT_NE(run.errors.find(c.named), std::string::npos) << run.errors;
    }
    BareRun help = run_args({"pi-bal", "--help"});
    EXPECT_TRUE(help.exit.exited_with(0));
    EXPECT_NE(help.output.find("Usage: padcalc pi-bal"), std::string::npos) << help.output;
}

// What the help must say: every network and how to call it, every option
// with the units it takes, and the exit statuses; and the manual page lists
// the same options.
TEST(CommandLineDesign, HelpNamesEveryNetworkOptionAndStatus) {
    BareRun run = run_args({"--help"});
    EXPECT_TRUE(run.exit.exited_with(0));
    EXPECT_EQ(run.errors, "");
    const std::string& help = run.output;
    for (const char* network :
         {"tee", "h", "pi", "pi-bal", "min-loss", "min-loss-bal", "bridged-tee", "l-pad", "u-pad"})
        EXPECT_NE(help.find("\n  " + std::string(network) + " "), std::string::npos) << network;
    for (const char* said :
         {"  a  Unbalanced Tee Network\n", "  --power P ", "watts\n                      or dBm",
          "  --rating R ", "R watts", "at least 0 and below 100", "Exit status: 0",
          "1 when one cannot be built", "2 for a usage\nerror"})
        EXPECT_NE(help.find(said), std::string::npos) << said;

    auto options_in = [](const std::string& text, const std::regex& pattern) {
        std::set<std::string> found;
        for (auto it = std::sregex_iterator(text.begin(), text.end(), pattern);
             it != std::sregex_iterator(); ++it)
            found.insert((*it)[1]);
        return found;
    };
    std::ifstream page(PADCALC_MAN_PAGE);
    std::string man((std::istreambuf_iterator<char>(page)), std::istreambuf_iterator<char>());
    std::size_t start = man.find(".SH OPTIONS");
    std::string section = man.substr(start, man.find(".SH", start + 1) - start);
    std::set<std::string> listed = options_in(section, std::regex(R"(\n\.BI? \\-\\-([a-z]+))"));
    std::set<std::string> program = options_in(help, std::regex(R"(\n  --([a-z]+))"));
    EXPECT_FALSE(program.empty());
    EXPECT_EQ(listed, program);
}

TEST(CommandLineBuild, PreferredValuesToleranceAndPowerInJson) {
    BareRun run = run_args({"h", "50", "75", "10", "--series", "E24", "--pairs", "--tolerance", "1",
                            "--power", "30dBm", "--json"});
    ASSERT_TRUE(run.exit.exited_with(0)) << run.errors;
    auto out = nlohmann::json::parse(run.output);
    auto build = out["build"];
    EXPECT_EQ(build["series"], "E24");
    EXPECT_LE(build["best"]["merit"].get<double>(), build["nearest"]["merit"].get<double>());
    for (const char* which : {"nearest", "best"}) {
        auto b = build[which];
        for (const char* key :
             {"loss_db", "z_in", "z_out", "return_loss_in_db", "return_loss_out_db", "merit"})
            EXPECT_TRUE(b[key].is_number()) << which << " " << key;
        for (auto& [name, resistor] : b["resistors"].items()) {
            double total = 0;
            for (double part : resistor["parts"])
                total += resistor["joined"] == "parallel" ? 1 / part : part;
            if (resistor["joined"] == "parallel")
                total = 1 / total;
            EXPECT_NEAR(total, resistor["ohms"].get<double>(), 1e-9 * total) << name;
        }
        auto loss = b["tolerance"]["loss_db"];
        EXPECT_LE(loss[0].get<double>(), b["loss_db"].get<double>());
        EXPECT_GE(loss[1].get<double>(), b["loss_db"].get<double>());
        EXPECT_EQ(b["power"]["available_w"], 1.0);
    }
    // The H's series arms are two resistors each, one in each line.
    auto fed = out["power"]["fed_inward"];
    double total = 0;
    for (const char* part : {"R1A", "R1B", "R2A", "R2B", "R3", "load"})
        total += fed[part].get<double>();
    EXPECT_NEAR(total, 1.0, 1e-6) << fed; // matched: all the available power goes in
    EXPECT_NEAR(fed["R1A"].get<double>(), fed["R1B"].get<double>(), 1e-12);
    EXPECT_TRUE(out["power"]["fed_outward"].contains("load"));
}

TEST(CommandLineBuild, TextRatingAndRefusals) {
    setenv("LC_ALL", "C", 1);
    BareRun run =
        run_args({"tee", "50", "50", "10", "--series", "E96", "--power", "1W", "--rating", "0.4W"});
    unsetenv("LC_ALL");
    EXPECT_TRUE(run.exit.exited_with(1));
    EXPECT_NE(run.output.find("Best E96 build"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("over its rating"), std::string::npos) << run.output;
    // 0.519 W in the arm at the source, fed from either side; 0.329 W in the shunt arm.
    EXPECT_NE(run.errors.find("R1 in the ideal design dissipates 0.519 W"), std::string::npos)
        << run.errors;
    EXPECT_NE(run.errors.find("R2 in the ideal design dissipates 0.519 W"), std::string::npos);
    EXPECT_EQ(run.errors.find("R3 in the ideal design"), std::string::npos) << run.errors;

    run = run_args({"tee", "100M", "100M", "10", "--series", "E24"});
    EXPECT_TRUE(run.exit.exited_with(1));
    EXPECT_NE(run.errors.find("no E24 build"), std::string::npos) << run.errors;

    struct Refusal {
        std::vector<std::string> args;
        const char* named;
    } refusals[] = {
        {{"--series", "E7"}, "E7"},
        {{"--series", "E24", "--tolerance", "-1"}, "-1"},
        {{"--power", "1X"}, "1X"},
        {{"--pairs"}, "--pairs"},
        {{"--rating", "1W"}, "--rating"},
        {{"--spice", "--name", "1pad"}, "1pad"},
        {{"--spice", "--name", "pad.x"}, "pad.x"},
        {{"--spice", "--json"}, "--json"},
        {{"--touchstone", "x.s2p", "--freq", "1G:1M:11"}, "1G:1M:11"},
    };
    for (const Refusal& r : refusals) {
        std::vector<std::string> all = {"tee", "50", "75", "10"};
        all.insert(all.end(), r.args.begin(), r.args.end());
        run = run_args(all);
        EXPECT_TRUE(run.exit.exited_with(2)) << r.named;
        EXPECT_EQ(run.output, "") << r.named;
        EXPECT_NE(run.errors.find(r.named), std::string::npos) << run.errors;
    }
}

// The subcircuit holds the exact values of the design or of its build.
TEST(CommandLineExport, SpiceSubcircuits) {
    BareRun json = run_args({"pi-bal", "50", "75", "10", "--json"});
    auto design = nlohmann::json::parse(json.output);
    BareRun run = run_args({"pi-bal", "50", "75", "10", "--spice"});
    ASSERT_TRUE(run.exit.exited_with(0));
    EXPECT_TRUE(run.output.starts_with("*")) << run.output;
    EXPECT_NE(run.output.find("\n.subckt PI_BAL_50_75_10DB inp inn outp outn\n"), std::string::npos)
        << run.output;
    for (auto [part, resistor] : {std::pair{"R1 ", "R1"}, {"R3A ", "R3"}, {"R3B ", "R3"}}) {
        auto at = run.output.find("\n" + std::string(part));
        ASSERT_NE(at, std::string::npos) << part;
        std::string line = run.output.substr(at + 1, run.output.find('\n', at + 1) - at - 1);
        double value = std::strtod(line.substr(line.rfind(' ') + 1).c_str(), nullptr);
        EXPECT_EQ(value, design["resistors"][resistor].get<double>()) << line;
    }
    EXPECT_TRUE(run.output.ends_with(".ends PI_BAL_50_75_10DB\n"));

    run = run_args(
        {"tee", "50", "75", "10:11:1", "--spice", "--series", "E24", "--nearest", "--name", "PAD"});
    EXPECT_NE(run.output.find(".subckt PAD_1 in out com\n"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find(".subckt PAD_2 in out com\n"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("nearest E24 build"), std::string::npos) << run.output;
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

    for (std::string bad : {std::string(folder) + "/no/such/folder.s2p", std::string(folder),
                            std::string("/dev/full"), std::string("/dev/null")}) {
        run = run_args({"tee", "50", "75", "10", "--touchstone", bad});
        EXPECT_TRUE(run.exit.exited_with(1)) << bad;
        EXPECT_NE(run.errors.find("Touchstone"), std::string::npos) << run.errors;
    }
    struct stat st {};
    EXPECT_EQ(stat("/dev/null", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
    std::remove(file.c_str());
    rmdir(folder);
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
        {{"--cp", "1p", "--freq", "1M:2P:3"}, "1M:2P:3"},
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

// How far up a pad holds, in every format: the text names the limit reached
// first, JSON says never or beyond with null, CSV has a row for each frequency.
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

    auto compared = json_of({"pi", "50", "50", "20", "--package", "0603", "--cg", "0.1p",
                             "--compare", "--match", "25dB"});
    ASSERT_EQ(compared["compare"].size(), 7u);
    for (std::size_t i = 0; i < 7; ++i) {
        EXPECT_EQ(compared["compare"][i].size(), 3u);
        if (i > 0) {
            EXPECT_GE(compared["compare"][i - 1]["holds_to_hz"].get<double>(),
                      compared["compare"][i]["holds_to_hz"].get<double>());
        }
    }

    BareRun csv =
        run_args({"tee", "50", "50", "10", "--package", "0402", "--freq", "1M:20G:101", "--csv"});
    EXPECT_EQ(std::count(csv.output.begin(), csv.output.end(), '\n'), 102);
    std::string header = csv.output.substr(0, csv.output.find('\n'));
    EXPECT_TRUE(header.starts_with("network,z1,z2,loss_db,min_loss_db,buildable,R1,R2,R3,"));
    EXPECT_TRUE(header.ends_with(",freq_hz,loss_db,return_loss_in_db,return_loss_out_db,s21_deg"));
}

} // namespace
} // namespace padcalc::testing
