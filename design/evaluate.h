// One design or check worked out for what was asked: builds
// from preferred values, their tolerance, and the power in each resistor.
#pragma once

#include "band.h"
#include "choose.h"
#include "circuit.h"
#include "network.h"
#include "response.h"
#include "settings.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace padcalc {

// The power in each physical resistor and in the load, fed from either port.
struct Power {
    double available = 0;           // watts
    std::vector<std::string> parts; // the physical resistors' names: R1, R1A, R1B...
    PowerFlow inward;               // the source at the inward port, the load Z2 at the outward
    PowerFlow outward;              // turned round: the source Z2 at the outward port
    std::optional<double> rating;   // watts each resistor may dissipate, if given
    // Whether part i dissipates more than its rating, fed either way.
    bool over_rating(std::size_t i) const {
        return rating && std::max(inward.parts[i], outward.parts[i]) > *rating;
    }
};

struct BuildResult {
    Build build;
    std::optional<ToleranceSpread> tolerance;
    std::optional<Power> power;
    std::optional<Holds> holds; // with a part model
};

struct Result {
    Design design;
    std::optional<Analysis> analysis; // the figures of a check
    std::optional<Power> power;       // of the ideal design, or the checked resistors
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

// Works out what `s` asks for the design. Problems that are not the
// design's own (a value outside the preferred range, a resistor over its
// rating) are added to `problems`, one message each.
Result evaluate(const Design& d, const Settings& s, std::vector<std::string>& problems);

// The resistors that the exports take: the best build with a series, the
// nearest with `nearest`, else the ideal design.
std::vector<double> exported_resistors(const Result& r, const Settings& s);
// Which values those are, in words: "ideal values", "best E24 build".
std::string exported_values(const Result& r, const Settings& s);
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
