// The command line end to end: the built program run with arguments and no
// console, as a script runs it.

#include "process.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <set>
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

// The issue's pairs: rated part by part, the 22 ohm of R1's pair is within
// 0.3 W, and R2's 82 ohm and R3's 33 ohm are not.
TEST(CommandLinePower, EachPartOfAPairOnItsOwn) {
    std::vector<std::string> args = {"tee",     "50",      "75", "10",       "--series", "E12",
                                     "--pairs", "--power", "1W", "--rating", "0.3W"};
    BareRun run = run_args(args);
    EXPECT_TRUE(run.exit.exited_with(1));
    EXPECT_EQ(run.errors,
              "padcalc: R1 in the ideal design dissipates 0.362 W, over its rating of 0.3 W\n"
              "padcalc: R2 in the ideal design dissipates 0.648 W, over its rating of 0.3 W\n"
              "padcalc: R3 in the ideal design dissipates 0.474 W, over its rating of 0.3 W\n"
              "padcalc: R1 in the nearest E12 build dissipates 0.347 W, over its rating of 0.3 W\n"
              "padcalc: R2 in the nearest E12 build dissipates 0.628 W, over its rating of 0.3 W\n"
              "padcalc: R3 in the nearest E12 build dissipates 0.471 W, over its rating of 0.3 W\n"
              "padcalc: R2_1 in the best E12 build dissipates 0.386 W, over its rating of 0.3 W\n"
              "padcalc: R3_2 in the best E12 build dissipates 0.364 W, over its rating of 0.3 W\n");
    auto best = nlohmann::json::parse(run_args(with(args, "--json")).output)["build"]["best"];
    EXPECT_NEAR(best["power"]["fed_inward"]["R1_1"].get<double>(), 0.296, 0.0005);
    EXPECT_NEAR(best["power"]["fed_inward"]["R1_2"].get<double>(), 0.0651, 0.00005);
    EXPECT_EQ(best["power"]["over_rating"], nlohmann::json({"R2_1", "R3_2"}));
    EXPECT_NEAR(best["power"]["volts_inward"]["R1_1"].get<double>(),
                best["power"]["volts_inward"]["R1_2"].get<double>(), 1e-12); // in parallel
    std::string csv = run_args(with(args, "--csv")).output;
    EXPECT_NE(csv.find(",best_R3,best_R1_1,best_R1_2,best_R2_1,best_R2_2,best_R3_1,best_R3_2,"),
              std::string::npos)
        << csv;
    EXPECT_NE(csv.find(",22,100,82,120,10,33,"), std::string::npos) << csv;
    std::string spice = run_args(with(args, "--spice")).output;
    for (const char* line : {"\nR1_1 in mid 22\n", "\nR1_2 in mid 100\n", "\nR3_1 mid r3_j 10\n",
                             "\nR3_2 r3_j com 33\n"})
        EXPECT_NE(spice.find(line), std::string::npos) << spice;
}

// What a user reads: each case side by side, the worst and its voltage, the
// derated rating checked, and each part over it named with its case.
TEST(CommandLinePower, LoadsVoltageAndDerating) {
    setenv("LC_ALL", "C", 1);
    BareRun run = run_args({"tee", "50", "50", "10", "--power", "1W", "--load", "all", "--rating",
                            "0.3", "--ambient", "100", "--max-voltage", "4.2"});
    unsetenv("LC_ALL");
    EXPECT_TRUE(run.exit.exited_with(1));
    std::string table = R"(
Power in the ideal design, 1.000 W available from the source, the load matched, open and shorted
Rating 300.0 mW, derated to 194.1 mW at 100 C
fed inward       matched        open       short       worst
R1              519.5 mW    420.8 mW    628.6 mW    628.6 mW   4.041 V  over its rating
R2              51.95 mW     0.000 W    207.8 mW    207.8 mW   2.323 V  over its rating
R3              328.6 mW    569.2 mW    153.6 mW    569.2 mW   4.472 V  over its ratings of power and voltage
load            100.0 mW     0.000 W     0.000 W    100.0 mW   4.472 V
fed outward      matched        open       short       worst
R1              51.95 mW     0.000 W    207.8 mW    207.8 mW   2.323 V  over its rating
R2              519.5 mW    420.8 mW    628.6 mW    628.6 mW   4.041 V  over its rating
R3              328.6 mW    569.2 mW    153.6 mW    569.2 mW   4.472 V  over its ratings of power and voltage
load            100.0 mW     0.000 W     0.000 W    100.0 mW   4.472 V
)";
    EXPECT_TRUE(run.output.ends_with(table)) << run.output;
    const char* derated = "over its rating of 0.3 W derated to 0.194 W at 100 C\n";
    EXPECT_EQ(
        run.errors,
        "padcalc: R1 in the ideal design dissipates 0.629 W with the load shorted, " +
            std::string(derated) +
            "padcalc: R2 in the ideal design dissipates 0.629 W with the load shorted, " + derated +
            "padcalc: R3 in the ideal design dissipates 0.569 W with the load open, " + derated +
            "padcalc: R3 in the ideal design has 4.47 V across it with the load open, over "
            "its rating of 4.2 V\n");

    struct Shape {
        const char* load;
        std::vector<const char*> keys;
    } shapes[] = {
        {"matched", {"available_w", "fed_inward", "fed_outward", "volts_inward", "volts_outward"}},
        {"open",
         {"available_w", "load", "fed_inward", "fed_outward", "volts_inward", "volts_outward"}},
        {"3:1",
         {"available_w", "load", "fed_inward", "fed_outward", "volts_inward", "volts_outward",
          "worst_phase_deg"}},
        {"all", {"available_w", "cases", "worst"}},
    };
    for (const Shape& shape : shapes) {
        run =
            run_args({"pi-bal", "50", "75", "10", "--power", "1W", "--json", "--load", shape.load});
        auto power = nlohmann::json::parse(run.output)["power"];
        std::set<std::string> keys;
        for (auto& [key, value] : power.items())
            keys.insert(key);
        EXPECT_EQ(keys, std::set<std::string>(shape.keys.begin(), shape.keys.end())) << shape.load;
        EXPECT_EQ(power.value("load", "matched"),
                  shape.load == std::string("all") ? "matched" : shape.load);
        if (power.contains("cases")) {
            EXPECT_EQ(power["cases"]["short"]["fed_inward"]["load"], 0.0);
        }
    }
}

TEST(CommandLineCascade, SplitsTheLossByDissipation) {
    setenv("LC_ALL", "C", 1);
    BareRun run = run_args({"cascade", "tee", "50", "10", "--stages", "4"});
    unsetenv("LC_ALL");
    EXPECT_TRUE(run.exit.exited_with(0)) << run.errors;
    EXPECT_EQ(run.output, R"(Cascade of 4 stages, Unbalanced Tee, 50 ohm, loss 10 dB
Split so that each stage dissipates the same power, fed inward

 in o---[R1]---+---[R2]---o out
               |
              [R3]
               |
gnd o----------+----------o gnd

Stage 1: loss 1.107 dB, dissipating 0.2250 of the power fed in
R1  series arm, inward side                3.182 ohm
R2  series arm, outward side               3.182 ohm
R3  shunt arm                              391.3 ohm

Stage 2: loss 1.489 dB, dissipating 0.2250 of the power fed in
R1  series arm, inward side                4.276 ohm
R2  series arm, outward side               4.276 ohm
R3  shunt arm                              290.2 ohm

Stage 3: loss 2.285 dB, dissipating 0.2250 of the power fed in
R1  series arm, inward side                6.539 ohm
R2  series arm, outward side               6.539 ohm
R3  shunt arm                              187.9 ohm

Stage 4: loss 5.119 dB, dissipating 0.2250 of the power fed in
R1  series arm, inward side                14.32 ohm
R2  series arm, outward side               14.32 ohm
R3  shunt arm                              80.12 ohm
)");
    // JSON: one object; each stage fed with what reaches it; the builds as one circuit.
    run = run_args({"cascade", "h", "50", "10", "--stages", "4", "--series", "E24", "--power", "1W",
                    "--json"});
    auto cascade = nlohmann::json::parse(run.output);
    EXPECT_EQ(cascade["network"], "h");
    EXPECT_EQ(cascade["z"], 50.0);
    EXPECT_EQ(cascade["loss_db"], 10.0);
    ASSERT_EQ(cascade["stages"].size(), 4u);
    for (std::size_t k = 0; k < 4; ++k) {
        auto stage = cascade["stages"][k];
        EXPECT_NEAR(stage["dissipated_fraction"].get<double>(), 0.225, 1e-12);
        EXPECT_NEAR(stage["power"]["fed_inward"]["load"].get<double>(), 1 - 0.225 * (k + 1), 1e-12);
    }
    EXPECT_NEAR(cascade["build"]["loss_db"].get<double>(), 10, 0.2);
    for (const char* key : {"return_loss_in_db", "return_loss_out_db"})
        EXPECT_GT(cascade["build"][key].get<double>(), 30) << key;
    // The whole cascade is one subcircuit and one two-port of 10 dB.
    run = run_args({"cascade", "pi", "50", "10", "--stages", "3", "--split", "equal", "--spice"});
    EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\n'), 4 + 1 + 9 + 1) << run.output;
    EXPECT_NE(run.output.find("\nR3_S2 s1 s2 "), std::string::npos) << run.output;
    run = run_args({"cascade", "pi", "50", "10", "--stages", "3", "--touchstone", "-"});
    EXPECT_NE(run.output.find(" 0.31622776601683"), std::string::npos) << run.output;
}

// 40 dB at 1 W from 0.25 W parts: 4 stages, since with 3 the last stage's R1
// takes 0.322 W; at 10 W no cascade of 10 stages will do.
TEST(CommandLineCascade, FewestStagesWithinTheRating) {
    std::vector<std::string> args = {"cascade", "tee",      "50",    "40",    "--power",
                                     "1W",      "--rating", "0.25W", "--json"};
    BareRun run = run_args(with(with(args, "--stages"), "auto"));
    EXPECT_TRUE(run.exit.exited_with(0)) << run.errors;
    EXPECT_EQ(nlohmann::json::parse(run.output)["stages"].size(), 4u);
    run = run_args(with(with(args, "--stages"), "3"));
    EXPECT_TRUE(run.exit.exited_with(1));
    EXPECT_EQ(run.errors,
              "padcalc: R1 in the ideal design of stage 3 dissipates 0.322 W, over its rating of "
              "0.25 W\n");
    args[5] = "10W";
    run = run_args(with(with(args, "--stages"), "auto"));
    EXPECT_TRUE(run.exit.exited_with(1));
    EXPECT_EQ(run.output, "");
    EXPECT_TRUE(run.errors.starts_with(
        "padcalc: no cascade of 10 stages or fewer keeps every part within its ratings"))
        << run.errors;
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
