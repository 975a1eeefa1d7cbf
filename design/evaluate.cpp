#include "evaluate.h"

#include "export_text.h"

#include <cmath>

namespace padcalc {
namespace {

BuildResult build_result(const Design& d, const Build& b, const Settings& s) {
    BuildResult r{b, std::nullopt, std::nullopt};
    if (s.tolerance)
        r.tolerance =
            tolerance_spread(build_circuit(d.network, b.resistors), d.zone, d.ztwo, *s.tolerance);
    return r;
}

// Whether every figure of the power is a number: a power near the largest
// double overflows in the squares.
bool finite(const Power& p) {
    for (const LoadCase& c : p.cases)
        for (const PowerFlow* flow : {&c.inward, &c.outward}) {
            if (!std::isfinite(flow->load))
                return false;
            for (double w : flow->parts)
                if (!std::isfinite(w))
                    return false;
        }
    return true;
}

// The power of one pad alone.
std::optional<Power> alone(const Circuit& c, const Design& d, const Settings& s) {
    return power_of({&c, 1}, d.zone, d.ztwo, s, true).front();
}

} // namespace

Result evaluate_unpowered(const Design& d, const Settings& s, std::vector<std::string>& problems) {
    Result r{d, std::nullopt, std::nullopt, s.series, std::nullopt, std::nullopt};
    if (s.series && d.buildable) {
        std::string why;
        if (std::optional<Builds> builds = choose_builds(d, *s.series, s.pairs, why)) {
            r.nearest = build_result(d, builds->nearest, s);
            r.best = build_result(d, builds->best, s);
        } else {
            problems.push_back("no " + std::string(series_name(*s.series)) + " build: " + why);
        }
    }
    return r;
}

Result evaluate(const Design& d, const Settings& s, std::vector<std::string>& problems,
                std::optional<Analysis> analysis) {
    Result r = evaluate_unpowered(d, s, problems);
    r.analysis = analysis;
    if (s.power && d.buildable) {
        r.power = alone(design_circuit(r), d, s);
        for (std::optional<BuildResult>* b : {&r.nearest, &r.best})
            if (*b)
                (*b)->power = alone(build_circuit(r, **b), d, s);
    }
    if (r.power && !finite(*r.power)) {
        problems.push_back("the power available, " + exact_number(*s.power) +
                           " W, gives figures too large to work out");
        r.power.reset();
        for (std::optional<BuildResult>* b : {&r.nearest, &r.best})
            if (*b)
                (*b)->power.reset();
    }
    check_ratings(r, "", problems);
    return r;
}

void check_ratings(const Result& r, const std::string& of, std::vector<std::string>& problems) {
    if (r.power)
        check_power(*r.power, (r.analysis ? "given resistors" : "ideal design") + of, problems);
    if (r.best && r.best->power) {
        std::string series(series_name(*r.series));
        check_power(*r.nearest->power, "nearest " + series + " build" + of, problems);
        check_power(*r.best->power, "best " + series + " build" + of, problems);
    }
}

Circuit design_circuit(const Result& r) {
    return build_circuit(r.design.network, r.design.resistors);
}

Circuit build_circuit(const Result& r, const BuildResult& b) {
    return build_circuit(r.design.network, b.build.resistors);
}

Circuit exported_circuit(const Result& r, const Settings& s) {
    if (r.best)
        return build_circuit(r, s.nearest ? *r.nearest : *r.best);
    return design_circuit(r);
}

std::string exported_values(const Result& r, const Settings& s) {
    if (r.best)
        return std::string(s.nearest ? "nearest " : "best ") + std::string(series_name(*r.series)) +
               " build";
    return "ideal design";
}

} // namespace padcalc
