// One design or check worked out for what was asked: builds
// from preferred values, their tolerance, and the power in each resistor.
#pragma once

#include "band.h"
#include "choose.h"
#include "circuit.h"
#include "network.h"
#include "power.h"
#include "problem.h"
#include "response.h"
#include "settings.h"

#include <optional>
#include <string>
#include <vector>

namespace padcalc {

struct BuildResult {
    Build build;
    std::optional<ToleranceSpread> tolerance;
    std::optional<Power> power;
    std::optional<Holds> holds; // with a part model
};

struct Result {
    Design design;
    std::optional<Analysis> analysis; // the figures of a check
    // The figures at the ports of a design whose outward port is not
    // matched (the L-pad's): the impedance and return loss seen there.
    std::optional<Analysis> ports;
    std::optional<Power> power; // of the ideal design, or the checked resistors
    std::optional<Series> series;
    std::optional<BuildResult> nearest;
    std::optional<BuildResult> best;
    // With a part model: the model and the limits, how far up the design
    // (or the checked resistors) holds, and with --compare every network's.
    std::optional<PartModel> part_model;
    std::string package;
    Limits limits;
    std::optional<Holds> holds;
    std::vector<Compared> compare;
};

// Works out what `s` asks for the design, or with `analysis` for a check of
// given resistors. Problems that are not the design's own (a value outside
// the preferred range, a resistor over its rating) are added to `problems`,
// one message each.
Result evaluate(const Design& d, const Settings& s, std::vector<Problem>& problems,
                std::optional<Analysis> analysis = std::nullopt);

// The same without the power and its checks, which pads in cascade work out
// together.
Result evaluate_unpowered(const Design& d, const Settings& s, std::vector<Problem>& problems);
// Names each part over its ratings in the result's design and builds; `of`
// follows the design's name in each message (" of stage 2").
void check_ratings(const Result& r, const std::string& of, std::vector<Problem>& problems);

// Whether every power figure of the design and its builds is a number: a
// power near the largest double overflows in the squares. When one is not,
// the figures are dropped, as none of them can be trusted, and the problem
// is this one.
bool power_worked_out(const Result& r);
void drop_power(Result& r);
Problem power_too_large(double available);

// Whether the design's values make a network that a check of them would find
// buildable, and the analysis over frequency takes: from 1e-9 to 1e15 ohm.
bool makes_a_network(const Design& d);
// The problem said of a design that can be built but whose response over
// frequency (a sweep, the part model's, the Touchstone file) is not worked
// out, since it does not make such a network.
std::string response_not_worked_out(const Design& d);

// The figures at the ports that the reports give: a check's, or those of a
// design whose outward port is not matched; none for other designs.
const Analysis* port_figures(const Result& r);
// Whether the report of `r` has room for them: every check, and every design
// whose outward port is not matched, buildable or not (a sweep keeps its
// columns).
bool gives_port_figures(const Result& r);

// The circuits of the design and of its builds, laid out part by part.
Circuit design_circuit(const Result& r);
Circuit build_circuit(const Result& r, const BuildResult& b);

// The circuit that the exports take: the best build with a series, the
// nearest with `nearest`, else the ideal design.
Circuit exported_circuit(const Result& r, const Settings& s);
// Which values those are, in words: "ideal values", "best E24 build".
std::string exported_values(const Result& r, const Settings& s);
// The resistors that the exports take: the best build with a series, the
// nearest with `nearest`, else the ideal design.
std::vector<double> exported_resistors(const Result& r, const Settings& s);
// How the exported resistors are built: each resistor's choice for a build,
// none for the ideal design.
std::vector<Choice> exported_choices(const Result& r, const Settings& s);
// The response of the exported values.
Response exported_response(const Result& r, const Settings& s);

// The responses that the reports show over frequency, each named: the
// design's own values (or the checked resistors) first, then the nearest
// and best builds. None for a design that cannot be built.
struct Swept {
    std::string which; // "ideal design", "nearest E24 build"...
    std::string key;   // "", "nearest", "best": where it goes in JSON and CSV
    Response response;
};
std::vector<Swept> swept(const Result& r);

} // namespace padcalc
