#include "evaluate.h"

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

Holds holds_of(const Design& d, const std::vector<double>& resistors,
               const std::vector<Choice>& choices, const Settings& s) {
    Response r(d.network, resistors, choices, s.part_model, d.zone, d.ztwo);
    return holds(r, s.limits, d.network->outward_matched);
}

BuildResult build_result(const Design& d, const Build& b, const Settings& s) {
    BuildResult r{b, std::nullopt, std::nullopt, std::nullopt};
    std::vector<double> values = totals(b);
    if (s.tolerance)
        r.tolerance = tolerance_spread(d.network, values, d.zone, d.ztwo, *s.tolerance);
    if (s.power)
        r.power = power_of(d, values, s);
    if (s.part_model)
        r.holds = holds_of(d, values, b.resistors, s);
    return r;
}

// The same values as a check of them would find them buildable.
bool makes_a_network(const Design& d) { return d.buildable && why_not_a_network(d).empty(); }

} // namespace

Result evaluate(const Design& d, const Settings& s, std::vector<std::string>& problems) {
    Result r;
    r.design = d;
    r.series = s.series;
    r.part_model = s.part_model;
    r.package = s.package;
    r.limits = s.limits;
    if (s.part_model && makes_a_network(d)) {
        r.holds = holds_of(d, d.resistors, {}, s);
        if (s.compare)
            r.compare = compare_networks(d, *s.part_model, s.limits);
    }
    if (s.power)
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
    if (s.rating && r.power) {
        check_rating(*r.power, "ideal design", problems);
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

std::vector<Choice> exported_choices(const Result& r, const Settings& s) {
    if (r.best)
        return (s.nearest ? r.nearest->build : r.best->build).resistors;
    return {};
}

Response exported_response(const Result& r, const Settings& s) {
    const Design& d = r.design;
    return {d.network, exported_resistors(r, s), exported_choices(r, s), r.part_model, d.zone,
            d.ztwo};
}

std::vector<Swept> swept(const Result& r) {
    const Design& d = r.design;
    std::vector<Swept> out;
    if (!makes_a_network(d))
        return out;
    out.push_back({"ideal design", "", {d.network, d.resistors, {}, r.part_model, d.zone, d.ztwo}});
    for (auto [key, b] : {std::pair{"nearest", &r.nearest}, {"best", &r.best}}) {
        if (!*b)
            continue;
        const Build& build = (*b)->build;
        out.push_back({std::string(key) + " " + std::string(series_name(*r.series)) + " build",
                       key,
                       {d.network, totals(build), build.resistors, r.part_model, d.zone, d.ztwo}});
    }
    return out;
}

std::string exported_values(const Result& r, const Settings& s) {
    if (r.best)
        return std::string(s.nearest ? "nearest " : "best ") + std::string(series_name(*r.series)) +
               " build";
    return "ideal design";
}

} // namespace padcalc
