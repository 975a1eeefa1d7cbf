#include "evaluate.h"

#include "export_text.h"

#include <cmath>
#include <cstdio>

namespace padcalc {
namespace {

Power power_of(const Design& d, const std::vector<double>& resistors, const Settings& s) {
    Circuit c = build_circuit(d.network, resistors);
    Power p;
    double available = *s.power;
    p.available = available;
    p.rating = s.rating;
    for (const Part& part : c.parts)
        p.parts.push_back(part.name);
    p.inward = power_flow(c, d.zone, d.ztwo, available, Feed::inward);
    p.outward = power_flow(c, d.zone, d.ztwo, available, Feed::outward);
    return p;
}

// Whether every figure of the power is a number: a power near the largest
// double overflows in the squares.
bool finite(const Power& p) {
    for (const PowerFlow* flow : {&p.inward, &p.outward}) {
        if (!std::isfinite(flow->load))
            return false;
        for (double w : flow->parts)
            if (!std::isfinite(w))
                return false;
    }
    return true;
}

// Names each resistor that dissipates more than `rating` fed either way.
void check_rating(const Power& p, const std::string& which, std::vector<std::string>& problems) {
    for (std::size_t i = 0; i < p.parts.size(); ++i) {
        double worst = std::max(p.inward.parts[i], p.outward.parts[i]);
        if (p.over_rating(i)) {
            char text[200];
            std::snprintf(text, sizeof text,
                          "%s in the %s dissipates %.3g W, over its rating of %.3g W",
                          p.parts[i].c_str(), which.c_str(), worst, *p.rating);
            problems.emplace_back(text);
        }
    }
}

BuildResult build_result(const Design& d, const Build& b, const Settings& s) {
    BuildResult r{b, std::nullopt, std::nullopt};
    std::vector<double> values = totals(b);
    if (s.tolerance)
        r.tolerance = tolerance_spread(d.network, values, d.zone, d.ztwo, *s.tolerance);
    if (s.power)
        r.power = power_of(d, values, s);
    return r;
}

} // namespace

Result evaluate(const Design& d, const Settings& s, std::vector<std::string>& problems,
                std::optional<Analysis> analysis) {
    Result r{d, analysis, std::nullopt, s.series, std::nullopt, std::nullopt};
    if (s.power && d.buildable)
        r.power = power_of(d, d.resistors, s);
    if (s.series && d.buildable) {
        std::string why;
        if (std::optional<Builds> builds = choose_builds(d, *s.series, s.pairs, why)) {
            r.nearest = build_result(d, builds->nearest, s);
            r.best = build_result(d, builds->best, s);
        } else {
            problems.push_back("no " + std::string(series_name(*s.series)) + " build: " + why);
        }
    }
    if (r.power && !finite(*r.power)) {
        problems.push_back("the power available, " + exact_number(*s.power) +
                           " W, gives figures too large to work out");
        r.power.reset();
        for (std::optional<BuildResult>* b : {&r.nearest, &r.best})
            if (*b)
                (*b)->power.reset();
    }
    if (s.rating && r.power) {
        check_rating(*r.power, analysis ? "given resistors" : "ideal design", problems);
        if (r.best) {
            std::string series(series_name(*s.series));
            check_rating(*r.nearest->power, "nearest " + series + " build", problems);
            check_rating(*r.best->power, "best " + series + " build", problems);
        }
    }
    return r;
}

std::vector<double> exported_resistors(const Result& r, const Settings& s) {
    if (r.best)
        return totals(s.nearest ? r.nearest->build : r.best->build);
    return r.design.resistors;
}

std::string exported_values(const Result& r, const Settings& s) {
    if (r.best)
        return std::string(s.nearest ? "nearest " : "best ") + std::string(series_name(*r.series)) +
               " build";
    return "ideal design";
}

} // namespace padcalc
