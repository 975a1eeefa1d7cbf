// The exported pads proved by a simulator nobody here wrote: each network's
// SPICE subcircuit run in ngspice between a source of Z1 and a load of Z2,
// and the Touchstone file read back and checked against the analysis.

#include "design/cascade.h"
#include "design/choose.h"
#include "design/circuit.h"
#include "design/power_flow.h"
#include "design/response.h"
#include "design/spice.h"
#include "design/touchstone.h"
#include "every_network.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <numbers>
#include <optional>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace padcalc {
namespace {

// Each network between unequal impedances where it can be: a bridged Tee
// needs equal ones, and a minimal loss pad a larger inward one.
struct Case {
    Network network;
    double zone;
    double ztwo;
    double loss;
};

Case case_of(Network n) {
    BuildableEntries e = buildable_entries(*n);
    return {n, e.zone, e.ztwo, e.loss};
}

// Every network of the table.
std::vector<Case> every_network() {
    std::vector<Case> cases;
    for (const NetworkInfo& n : networks())
        cases.push_back(case_of(&n));
    return cases;
}

const std::vector<Case> cases = every_network();

void PrintTo(const Case& c, std::ostream* out) {
    *out << c.network->id << " " << c.zone << " " << c.ztwo << " " << c.loss;
}

std::string case_name(const ::testing::TestParamInfo<Case>& param) {
    std::string name;
    for (char c : param.param.network->id)
        name += c == '-' ? '_' : c;
    return name;
}

std::vector<double> ideal_resistors(const Case& c) {
    return design(c.network, c.zone, c.ztwo, c.loss).resistors;
}

// The best build from single E24 values, as `--series E24` exports it.
std::vector<double> e24_resistors(const Case& c) {
    std::string why;
    std::optional<Builds> builds =
        choose_builds(design(c.network, c.zone, c.ztwo, c.loss), Series::e24, false, why);
    if (!builds) {
        ADD_FAILURE() << c.network->id << ": " << why;
        return ideal_resistors(c);
    }
    return totals(builds->best);
}

// ---- ngspice in batch mode -------------------------------------------------

bool ngspice_on_path() {
    const char* path = std::getenv("PATH");
    std::stringstream folders(path ? path : "");
    for (std::string folder; std::getline(folders, folder, ':');)
        if (!folder.empty() && ::access((folder + "/ngspice").c_str(), X_OK) == 0)
            return true;
    return false;
}

// What the bench measures, in the nodes and source it names.
struct Probe {
    std::string in_plus, in_minus, out_plus, out_minus, source;
};

// Node voltages and the source's current after `print`, by name, for the
// operating point and (real parts) for the AC point.
struct Results {
    std::map<std::string, double> op;
    std::map<std::string, double> ac;
    std::string transcript;
};

// The bench around subcircuit PAD: a source of EMF 1 V and internal
// resistance Z1, a load Z2. An unbalanced pad's common line is lifted 1 V
// off ground, so a pad tied to the global ground inside would show it. A
// balanced pad is driven from two half sources, +-0.5 V with Z1/2 in each
// line, about ground, and loaded by Z2 across its outward lines alone.
std::string number(double v) {
    std::ostringstream out;
    out.precision(17);
    out << v;
    return out.str();
}

std::string bench(bool balanced, double zone, double ztwo, const Probe& p) {
    std::string net = "padcalc bench\n.include pad.cir\n";
    if (balanced) {
        net += "VP srcp 0 DC 0.5 AC 0.5\nVN 0 srcn DC 0.5 AC 0.5\n";
        net += "RSP srcp inp " + number(zone / 2) + "\nRSN srcn inn " + number(zone / 2) + "\n";
        net += "X1 inp inn outp outn PAD\n";
    } else {
        net += "VS src lift DC 1 AC 1\nVLIFT lift 0 DC 1 AC 0\n";
        net += "RS src in " + number(zone) + "\nX1 in out lift PAD\n";
    }
    net += "RL " + p.out_plus + " " + p.out_minus + " " + number(ztwo) + "\n";
    std::string probes = "print v(" + p.in_plus + ") v(" + p.in_minus + ") v(" + p.out_plus +
                         ") v(" + p.out_minus + ") i(" + p.source + ")\n";
    net += ".control\nset numdgt=17\nop\necho section op\n" + probes +
           "ac lin 1 1k 1k\necho section ac\n" + probes + "quit 0\n.endc\n.end\n";
    return net;
}

Results parse(const std::string& transcript) {
    Results r;
    r.transcript = transcript;
    std::map<std::string, double>* section = nullptr;
    std::istringstream lines(transcript);
    for (std::string line; std::getline(lines, line);) {
        if (line == "section op")
            section = &r.op;
        else if (line == "section ac")
            section = &r.ac;
        std::size_t equals = line.find(" = ");
        if (section && equals != std::string::npos)
            (*section)[line.substr(0, equals)] = std::strtod(line.c_str() + equals + 3, nullptr);
    }
    return r;
}

Results simulate(const std::string& subcircuit, const std::string& bench_text) {
    std::string folder_template =
        (std::filesystem::temp_directory_path() / "padcalc-spice-XXXXXX").string();
    std::string folder = ::mkdtemp(folder_template.data()) ? folder_template : "";
    if (folder.empty())
        return {};
    std::ofstream(folder + "/pad.cir") << subcircuit;
    std::ofstream(folder + "/bench.cir") << bench_text;
    std::string command = "cd '" + folder + "' && ngspice -b bench.cir 2>&1";
    std::string transcript;
    if (FILE* out = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, out)) > 0;)
            transcript.append(buffer, n);
        ::pclose(out);
    }
    std::filesystem::remove_all(folder);
    return parse(transcript);
}

// The loss and input impedance the simulator's voltages and current give.
struct Measured {
    double loss = NAN;
    double z_in = NAN;
};

Measured measure(const std::map<std::string, double>& v, const Probe& p, double zone, double ztwo) {
    auto at = [&v](const std::string& name) {
        auto it = v.find(name);
        return it == v.end() ? NAN : it->second;
    };
    double v_in = at("v(" + p.in_plus + ")") - at("v(" + p.in_minus + ")");
    double v_out = at("v(" + p.out_plus + ")") - at("v(" + p.out_minus + ")");
    double current = -at("i(" + p.source + ")"); // out of the source's plus terminal
    const double emf = 1.0;
    return {-20.0 * std::log10(2.0 * v_out / emf * std::sqrt(zone / ztwo)), v_in / current};
}

class Simulator : public ::testing::TestWithParam<Case> {
  protected:
    void SetUp() override {
        if (!ngspice_on_path())
            GTEST_SKIP() << "ngspice is not on PATH (apt-get install ngspice)";
    }

    // The simulated loss and input impedance of the pad built from these
    // values, at the operating point and the AC point, against the analysis.
    static void prove(const Case& c, const std::vector<double>& resistors) {
        Circuit circuit = build_circuit(c.network, resistors);
        Analysis expected = analyse(circuit, c.zone, c.ztwo);
        Probe p = circuit.network->balanced ? Probe{"inp", "inn", "outp", "outn", "vp"}
                                            : Probe{"in", "lift", "out", "lift", "vs"};
        Results r = simulate(spice_subcircuit(circuit, "PAD", {"a pad under test"}),
                             bench(circuit.network->balanced, c.zone, c.ztwo, p));
        for (const auto* point : {&r.op, &r.ac}) {
            Measured m = measure(*point, p, c.zone, c.ztwo);
            EXPECT_NEAR(m.loss, expected.loss, 1e-6 * expected.loss) << r.transcript;
            EXPECT_NEAR(m.z_in, expected.z_in, 1e-6 * expected.z_in) << r.transcript;
        }
    }
};

TEST_P(Simulator, IdealDesignMatchesAnalysis) { prove(GetParam(), ideal_resistors(GetParam())); }

// ---- the power in each part ------------------------------------------------

// The bench's source, the pad, and at the outward port Z2, nothing, or a
// short; then every node's voltage at the operating point.
std::string power_bench(bool balanced, double zone, double ztwo, std::complex<double> gamma) {
    std::string net = "padcalc power bench\n.include pad.cir\n";
    std::string out = balanced ? "outp outn " : "out lift ";
    if (balanced)
        net += "VP srcp 0 DC 0.5\nVN 0 srcn DC 0.5\nRSP srcp inp " + number(zone / 2) +
               "\nRSN srcn inn " + number(zone / 2) + "\nX1 inp inn outp outn PAD\n";
    else
        net += "VS src lift DC 1\nVLIFT lift 0 DC 1\nRS src in " + number(zone) +
               "\nX1 in out lift PAD\n";
    if (gamma == 0.0)
        net += "RL " + out + number(ztwo) + "\n";
    else if (gamma == -1.0)
        net += "VSHORT " + out + "DC 0\n";
    return net + ".control\nset numdgt=17\nop\necho section op\nprint all\nquit 0\n.endc\n.end\n";
}

// The simulator's name for a node of the pad: the bench's at the ports, the
// subcircuit's own inside.
std::string bench_node(const Circuit& c, int node) {
    if (c.network->balanced)
        return node < 4 ? c.nodes[static_cast<std::size_t>(node)]
                        : "x1." + c.nodes[static_cast<std::size_t>(node)];
    const char* ports[] = {"in", "lift", "out"};
    return node < 3 ? ports[node] : "x1." + c.nodes[static_cast<std::size_t>(node)];
}

// Each part's power from the simulator's node voltages, against the flow
// with the load matched, open and shorted: a source of 1 V EMF and Z1 has
// 1 / 4 Z1 available.
TEST(SimulatedPower, EveryPartOfAPairBuildAndABalancedNetwork) {
    if (!ngspice_on_path())
        GTEST_SKIP() << "ngspice is not on PATH (apt-get install ngspice)";
    std::string why;
    auto best = [&why](Network n, double zone, double ztwo, double loss) {
        Builds b = *choose_builds(design(n, zone, ztwo, loss), Series::e12, true, why);
        return build_circuit(n, b.best.resistors);
    };
    const Circuit circuits[] = {
        best(network("tee"), 50, 75, 10), best(network("h"), 50, 75, 10),
        build_circuit(network("pi-bal"), ideal_resistors(case_of(network("pi-bal"))))};
    for (const Circuit& c : circuits)
        for (std::complex<double> gamma : {0.0, 1.0, -1.0}) {
            SCOPED_TRACE(std::string(c.network->id) + " gamma " + number(gamma.real()));
            Results r = simulate(spice_subcircuit(c, "PAD", {}),
                                 power_bench(c.network->balanced, 50, 75, gamma));
            double available = 1 / (4 * 50.0);
            Circuit one[] = {c};
            PowerFlow flow = power_flow(one, 50, 75, available, Feed::inward, gamma).front();
            for (std::size_t i = 0; i < c.parts.size(); ++i) {
                const Part& part = c.parts[i];
                auto at = [&](int node) {
                    auto it = r.op.find(bench_node(c, node));
                    return it == r.op.end() ? NAN : it->second;
                };
                double volts = at(part.from) - at(part.to);
                EXPECT_NEAR(volts * volts / part.ohms, flow.parts[i],
                            1e-6 * flow.parts[i] + 1e-12 * available)
                    << part.name << "\n"
                    << r.transcript;
            }
        }
}

// A cascade's subcircuit in the simulator has the loss and input impedance of
// the product of its stages' chains.
TEST(SimulatedPower, CascadeSubcircuitIsTheChainOfItsStages) {
    if (!ngspice_on_path())
        GTEST_SKIP() << "ngspice is not on PATH (apt-get install ngspice)";
    std::string why;
    for (Network n : {network("tee"), network("pi-bal")}) {
        std::vector<Circuit> stages;
        for (double loss : stage_losses(30, 3, Split::dissipation)) {
            Builds b = *choose_builds(design(n, 50, 50, loss), Series::e24, true, why);
            stages.push_back(build_circuit(n, b.best.resistors));
        }
        Analysis expected = analyse(cascade_chain(stages), 50, 50);
        Probe p = n->balanced ? Probe{"inp", "inn", "outp", "outn", "vp"}
                              : Probe{"in", "lift", "out", "lift", "vs"};
        Results r = simulate(spice_cascade(stages, "PAD", {}), bench(n->balanced, 50, 50, p));
        Measured m = measure(r.op, p, 50, 50);
        EXPECT_NEAR(m.loss, expected.loss, 1e-6 * expected.loss) << r.transcript;
        EXPECT_NEAR(m.z_in, expected.z_in, 1e-6 * expected.z_in) << r.transcript;
    }
}

TEST_P(Simulator, E24BuildMatchesAnalysis) { prove(GetParam(), e24_resistors(GetParam())); }

INSTANTIATE_TEST_SUITE_P(EachNetwork, Simulator, ::testing::ValuesIn(cases), case_name);

// ---- the part model: an AC sweep ---------------------------------------------

const PartModel rf_model{0.4e-9, 0.05e-12, 0.1e-12};

// The bench of Results, swept from 1 MHz to 20 GHz (20 points a decade, and
// 20 GHz itself), the outward voltage written as frequency, real and
// imaginary parts. The capacitances to ground go to the port gnd, on the
// simulation's ground. A balanced pad is loaded as it is driven, about
// ground: Z2/2 from each outward line; a pair of unequal values in a shunt
// arm makes it unsymmetrical, so a floating load would differ.
std::string sweep_bench(bool balanced, double zone, double ztwo) {
    auto number = [](double v) {
        std::ostringstream out;
        out.precision(17);
        out << v;
        return out.str();
    };
    std::string net = "padcalc sweep\n.include pad.cir\n";
    if (balanced) {
        net += "VP srcp 0 DC 0 AC 0.5\nVN 0 srcn DC 0 AC 0.5\n";
        net += "RSP srcp inp " + number(zone / 2) + "\nRSN srcn inn " + number(zone / 2) + "\n";
        net += "X1 inp inn outp outn 0 PAD\nRLP outp 0 " + number(ztwo / 2) + "\nRLN outn 0 " +
               number(ztwo / 2) + "\n";
    } else {
        net += "VS src lift DC 0 AC 1\nVLIFT lift 0 DC 1 AC 0\n";
        net += "RS src in " + number(zone) + "\nX1 in out lift 0 PAD\n";
        net += "RL out lift " + number(ztwo) + "\n";
    }
    std::string out = balanced ? "v(outp)-v(outn)" : "v(out)-v(lift)";
    std::string write = "let vo = " + out + "\nwrdata ";
    return net + ".control\nset numdgt=17\nac dec 20 1meg 20g\n" + write +
           "ac.txt vo\nac lin 1 20g 20g\n" + write + "end.txt vo\nquit 0\n.endc\n.end\n";
}

// Runs the bench and reads back each frequency's outward voltage.
std::vector<std::pair<double, std::complex<double>>> ac_sweep(const std::string& subcircuit,
                                                              const std::string& bench_text) {
    std::string folder_template =
        (std::filesystem::temp_directory_path() / "padcalc-ac-XXXXXX").string();
    std::vector<std::pair<double, std::complex<double>>> points;
    if (!::mkdtemp(folder_template.data()))
        return points;
    std::string folder = folder_template;
    std::ofstream(folder + "/pad.cir") << subcircuit;
    std::ofstream(folder + "/bench.cir") << bench_text;
    std::string command = "cd '" + folder + "' && ngspice -b bench.cir >/dev/null 2>&1";
    if (std::system(command.c_str()) == 0) {
        for (const char* file : {"/ac.txt", "/end.txt"}) {
            std::ifstream in(folder + file);
            for (double hz, re, im; in >> hz >> re >> im;)
                points.emplace_back(hz, std::complex<double>(re, im));
        }
    }
    std::filesystem::remove_all(folder);
    return points;
}

class SimulatorSweep : public Simulator {
  protected:
    // The simulated loss and S21 phase at every point against padcalc's own
    // response, to 0.01 dB and 0.1 degree.
    static void prove(const Case& c, const std::vector<double>& resistors,
                      const std::vector<Choice>& choices = {}) {
        Circuit circuit = choices.empty() ? build_circuit(c.network, resistors)
                                          : build_circuit(c.network, choices);
        auto points = ac_sweep(spice_subcircuit(circuit, "PAD", {}, rf_model),
                               sweep_bench(c.network->balanced, c.zone, c.ztwo));
        ASSERT_EQ(points.size(), 88U);
        EXPECT_EQ(points.back().first, 20e9);
        Response response(c.network, resistors, choices, rf_model, c.zone, c.ztwo);
        for (auto [hz, v_out] : points) {
            std::complex<double> s21 = 2.0 * v_out * std::sqrt(c.zone / c.ztwo);
            Point p = response.at(hz);
            EXPECT_NEAR(-20 * std::log10(std::abs(s21)), p.loss, 0.01) << hz;
            double degrees = std::arg(s21) * 180 / std::numbers::pi;
            EXPECT_NEAR(std::remainder(degrees - p.s21_deg, 360.0), 0, 0.1) << hz;
        }
    }
};

TEST_P(SimulatorSweep, IdealDesignMatchesResponse) {
    prove(GetParam(), ideal_resistors(GetParam()));
}

TEST_P(SimulatorSweep, E24BuildsMatchResponse) {
    const Case& c = GetParam();
    prove(c, e24_resistors(c));
    std::string why;
    auto pairs = choose_builds(design(c.network, c.zone, c.ztwo, c.loss), Series::e24, true, why);
    ASSERT_TRUE(pairs) << why;
    prove(c, totals(pairs->best), pairs->best.resistors);
}

INSTANTIATE_TEST_SUITE_P(EachNetwork, SimulatorSweep, ::testing::ValuesIn(cases), case_name);

// Three pads in cascade, each part with Ls, Cp and Cg, as one subcircuit in
// the simulator: their responses joined stage by stage give what it gives,
// where the stages' reflections between them matter (10 GHz and up).
TEST(SimulatedCascade, PartsModelledStageByStage) {
    if (!ngspice_on_path())
        GTEST_SKIP() << "ngspice is not on PATH (apt-get install ngspice)";
    for (Network n : {network("pi"), network("h")}) {
        std::vector<Circuit> circuits;
        std::vector<Response> responses;
        for (double loss : stage_losses(40, 3, Split::dissipation)) {
            Design d = design(n, 50, 50, loss);
            circuits.push_back(build_circuit(n, d.resistors));
            responses.emplace_back(n, d.resistors, std::vector<Choice>{}, rf_model, 50, 50);
        }
        Response whole(std::move(responses));
        auto points = ac_sweep(spice_cascade(circuits, "PAD", {}, rf_model),
                               sweep_bench(n->balanced, 50, 50));
        ASSERT_EQ(points.size(), 88U) << n->id;
        for (auto [hz, v_out] : points) {
            std::complex<double> s21 = 2.0 * v_out;
            Point p = whole.at(hz);
            EXPECT_NEAR(-20 * std::log10(std::abs(s21)), p.loss, 0.01) << n->id << " " << hz;
            double degrees = std::arg(s21) * 180 / std::numbers::pi;
            EXPECT_NEAR(std::remainder(degrees - p.s21_deg, 360.0), 0, 0.1) << hz;
        }
    }
}

// ---- the subcircuit's text -------------------------------------------------

std::vector<std::string> words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> out;
    for (std::string word; in >> word;)
        out.push_back(word);
    return out;
}

// Every line after the comments: the ports, a resistor line for each part
// with its exact value, and the end; no node is the global ground.
TEST(SpiceSubcircuit, PortsPartsAndExactValuesForEachNetwork) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.network->id);
        Circuit circuit = build_circuit(c.network, e24_resistors(c));
        circuit.parts[0].ohms = 0.1 + 0.2; // a value that needs all 17 digits
        std::istringstream text(spice_subcircuit(circuit, "PAD", {"first", "two\nlines"}));
        std::vector<std::vector<std::string>> lines;
        for (std::string line; std::getline(text, line);)
            if (line.front() != '*')
                lines.push_back(words(line));
        ASSERT_EQ(lines.size(), circuit.parts.size() + 2);
        std::vector<std::string> ports =
            circuit.network->balanced ? std::vector<std::string>{"inp", "inn", "outp", "outn"}
                                      : std::vector<std::string>{"in", "out", "com"};
        ports.insert(ports.begin(), {".subckt", "PAD"});
        EXPECT_EQ(lines.front(), ports);
        EXPECT_EQ(lines.back(), (std::vector<std::string>{".ends", "PAD"}));
        for (std::size_t i = 0; i < circuit.parts.size(); ++i) {
            const std::vector<std::string>& line = lines[i + 1];
            ASSERT_EQ(line.size(), 4U);
            EXPECT_EQ(line[0], circuit.parts[i].name);
            for (const std::string& node : {line[1], line[2]})
                EXPECT_TRUE(node != "0" && node != "gnd") << node;
            EXPECT_EQ(std::strtod(line[3].c_str(), nullptr), circuit.parts[i].ohms);
        }
    }
}

TEST(SpiceSubcircuit, CommentLinesEachStartWithAnAsterisk) {
    Circuit circuit = build_circuit(network("pi"), {1, 2, 3});
    std::string text = spice_subcircuit(circuit, "P", {"Unbalanced Pi", "a\nb", ""});
    EXPECT_EQ(text.substr(0, text.find(".subckt")), "* Unbalanced Pi\n* a\n* b\n*\n");
    EXPECT_TRUE(spice_subcircuit(circuit, "P", {}).starts_with("* P\n.subckt P "));
}

TEST(SpiceName, SafeInEveryCommonSpice) {
    for (std::string_view name : {"PAD", "p", "Tee_50_75_10DB", "A1_2"})
        EXPECT_TRUE(valid_spice_name(name)) << name;
    std::string longest(max_spice_name, 'X');
    EXPECT_TRUE(valid_spice_name(longest));
    for (std::string_view name : {"", "1PAD", "_PAD", "PAD 1", "PAD.1", ".PAD", "PAD-1", "PAD$",
                                  "PAD(1)", "PAD\n", "P\u00c4D", "PAD,1"})
        EXPECT_FALSE(valid_spice_name(name)) << name;
    EXPECT_FALSE(valid_spice_name(longest + "X"));
}

TEST(SpiceName, DefaultNamesTheNetworkAndItsEntries) {
    EXPECT_EQ(default_spice_name(network("tee"), 50, 75, 10), "TEE_50_75_10DB");
    EXPECT_EQ(default_spice_name(network("pi-bal"), 600, 600, 2.5), "PI_BAL_600_600_2P5DB");
    EXPECT_EQ(default_spice_name(network("min-loss-bal"), 600, 150, 11.4), "MIN_LOSS_BAL_600_150");
    EXPECT_EQ(default_spice_name(network("bridged-tee"), 50, 50, 6), "BRIDGED_TEE_50_6DB");
    for (const NetworkInfo& entry : networks())
        for (double odd : {0.1 + 0.2, 1e-5, 1e300, -3.0})
            EXPECT_TRUE(valid_spice_name(default_spice_name(&entry, odd, odd, odd)))
                << default_spice_name(&entry, odd, odd, odd);
}

// ---- the Touchstone file -----------------------------------------------------

// A Touchstone file read back: its keywords with their arguments in order,
// and the numbers of each data line.
struct TouchstoneFile {
    std::vector<std::pair<std::string, std::string>> keywords;
    std::vector<std::vector<double>> data;
};

TouchstoneFile read_touchstone(const std::string& text) {
    TouchstoneFile file;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        line = line.substr(0, line.find('!'));
        if (line.find_first_not_of(' ') == std::string::npos)
            continue;
        if (line[0] == '[') {
            std::size_t close = line.find(']');
            file.keywords.emplace_back(line.substr(0, close + 1),
                                       close + 2 <= line.size() ? line.substr(close + 2) : "");
        } else if (line[0] == '#') {
            file.keywords.emplace_back("#", line.substr(2));
        } else {
            std::istringstream numbers(line);
            file.data.emplace_back();
            for (std::string word; numbers >> word;)
                file.data.back().push_back(std::strtod(word.c_str(), nullptr));
            file.keywords.emplace_back("data", "");
        }
    }
    return file;
}

// The keywords in the order the format lays down, one data line per frequency.
TEST(Touchstone, KeywordsInTheirOrder) {
    Case c{network("tee"), 50, 75, 10};
    Analysis a = analyse(c.network, ideal_resistors(c), c.zone, c.ztwo);
    std::vector<double> hz = log_frequencies(1e6, 1e9, 11);
    TouchstoneFile file = read_touchstone(touchstone(a, c.zone, c.ztwo, hz, {"Tee", "x\ny"}));
    std::vector<std::pair<std::string, std::string>> expected = {{"[Version]", "2.0"},
                                                                 {"#", "Hz S RI R 50"},
                                                                 {"[Number of Ports]", "2"},
                                                                 {"[Two-Port Data Order]", "21_12"},
                                                                 {"[Number of Frequencies]", "11"},
                                                                 {"[Reference]", "50 75"},
                                                                 {"[Network Data]", ""}};
    expected.insert(expected.end(), hz.size(), {"data", ""});
    expected.emplace_back("[End]", "");
    EXPECT_EQ(file.keywords, expected);
    for (std::size_t i = 0; i < hz.size(); ++i) {
        ASSERT_EQ(file.data[i].size(), 9U);
        EXPECT_EQ(file.data[i][0], hz[i]);
    }
}

// For every network, built from E24 values so that neither port matches:
// S21 gives the loss, S11 and S22 the return losses, it is reciprocal and
// passive, and each number reads back to the analysis's double.
TEST(Touchstone, SParametersOfEachNetwork) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.network->id);
        Analysis a = analyse(c.network, e24_resistors(c), c.zone, c.ztwo);
        TouchstoneFile file = read_touchstone(touchstone(a, c.zone, c.ztwo, {1e6, 2e6}, {}));
        ASSERT_EQ(file.data.size(), 2U);
        for (const std::vector<double>& line : file.data) {
            ASSERT_EQ(line.size(), 9U);
            double s11 = line[1], s21 = line[3], s12 = line[5], s22 = line[7];
            EXPECT_EQ(s11, a.gamma_in);
            EXPECT_EQ(s22, a.gamma_out);
            EXPECT_EQ(line[2] + line[4] + line[6] + line[8], 0.0); // no imaginary parts
            EXPECT_NEAR(20 * std::log10(std::fabs(s21)), -a.loss, 1e-9);
            EXPECT_NEAR(-20 * std::log10(std::fabs(s11)), a.return_loss_in, 1e-9);
            EXPECT_NEAR(-20 * std::log10(std::fabs(s22)), a.return_loss_out, 1e-9);
            EXPECT_NEAR(s12, s21, 1e-12);
            EXPECT_LE(s11 * s11 + s21 * s21, 1 + 1e-12);
            EXPECT_LE(s22 * s22 + s12 * s12, 1 + 1e-12);
        }
    }
}

TEST(Touchstone, LogFrequencies) {
    std::vector<double> hz = log_frequencies(1e6, 1e9, 4);
    ASSERT_EQ(hz.size(), 4U);
    EXPECT_EQ(hz.front(), 1e6);
    EXPECT_NEAR(hz[1], 1e7, 1e-6);
    EXPECT_NEAR(hz[2], 1e8, 1e-5);
    EXPECT_EQ(hz.back(), 1e9);
    EXPECT_EQ(log_frequencies(1e6, 1e9, 11).back(), 1e9);
    EXPECT_EQ(log_frequencies(3e6, 1e9, 1), std::vector<double>{3e6});
    EXPECT_TRUE(log_frequencies(1e6, 1e9, 0).empty());
}

} // namespace
} // namespace padcalc
