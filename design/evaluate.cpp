#include "evaluate.h"

#include "export_text.h"

#include <algorithm>
#include <cmath>

namespace padcalc {
namespace {

Holds holds_of(const Design& d, const std::vector<double>& resistors,
               const std::vector<Choice>& choices, const Settings& s) {
    Response r(d.network, resistors, choices, s.part_model, d.zone, d.ztwo);
    return holds(r, s.limits, d.network->outward_matched);
}

BuildResult build_result(const Design& d, const Build& b, const Settings& s) {
    BuildResult r{b, std::nullopt, std::nullopt, std::nullopt};
    if (s.tolerance)
        r.tolerance =
            tolerance_spread(build_circuit(d.network, b.resistors), d.zone, d.ztwo, *s.tolerance);
    if (s.part_model)
        r.holds = holds_of(d, totals(b), b.resistors, s);
    return r;
}

bool finite(const std::vector<double>& figures) {
    return std::all_of(figures.begin(), figures.end(), [](double x) { return std::isfinite(x); });
}

// Whether every figure of the power is a number.
bool finite(const Power& p) {
    for (const LoadCase& c : p.cases)
        for (const PowerFlow* flow : {&c.inward, &c.outward})
            if (!std::isfinite(flow->load) || !std::isfinite(flow->load_volts) ||
                !finite(flow->parts) || !finite(flow->volts))
                return false;
    return true;
}

// The power of one pad alone.
std::optional<Power> alone(const Circuit& c, const Design& d, const Settings& s) {
    return power_of({&c, 1}, d.zone, d.ztwo, s, true).front();
}

} // namespace

// The same values as a check of them would find them buildable.
bool makes_a_network(const Design& d) { return d.buildable && why_not_a_network(d).empty(); }

std::string response_not_worked_out(const Design& d) {
    return "the response over frequency is not worked out: " + why_not_a_network(d);
}

Result evaluate_unpowered(const Design& d, const Settings& s, std::vector<Problem>& problems) {
    Result r;
    r.design = d;
    r.series = s.series;
    r.part_model = s.part_model;
    r.package = s.package;
    r.limits = s.limits;
    if (!d.network->outward_matched && makes_a_network(d))
        r.ports = analyse(d.network, d.resistors, d.zone, d.ztwo);
    bool over_frequency = s.part_model || s.sweep || !s.touchstone.empty();
    if (over_frequency && d.buildable && !makes_a_network(d))
        problems.emplace_back(response_not_worked_out(d));
    if (s.part_model && makes_a_network(d)) {
        r.holds = holds_of(d, d.resistors, {}, s);
        if (s.compare)
            r.compare = compare_networks(d, *s.part_model, s.limits);
    }
    if (s.series && d.buildable) {
        std::string why;
        if (std::optional<Builds> builds = choose_builds(d, *s.series, s.pairs, why)) {
            r.nearest = build_result(d, builds->nearest, s);
            r.best = build_result(d, builds->best, s);
        } else {
            std::string no_build = "no " + std::string(series_name(*s.series)) + " build: ";
            problems.emplace_back(no_build + why, no_build + out_of_range(d, false));
        }
    }
    return r;
}

Result evaluate(const Design& d, const Settings& s, std::vector<Problem>& problems,
                std::optional<Analysis> analysis) {
    Result r = evaluate_unpowered(d, s, problems);
    r.analysis = analysis;
    if (s.power && d.buildable) {
        r.power = alone(design_circuit(r), d, s);
        for (std::optional<BuildResult>* b : {&r.nearest, &r.best})
            if (*b)
                (*b)->power = alone(build_circuit(r, **b), d, s);
    }
    if (!power_worked_out(r)) {
        problems.push_back(power_too_large(*s.power));
        drop_power(r);
    }
    check_ratings(r, "", problems);
    return r;
}

bool power_worked_out(const Result& r) {
    auto finite_or_none = [](const std::optional<Power>& p) { return !p || finite(*p); };
    auto build_finite = [&](const std::optional<BuildResult>& b) {
        return !b || finite_or_none(b->power);
    };
    return finite_or_none(r.power) && build_finite(r.nearest) && build_finite(r.best);
}

void drop_power(Result& r) {
    r.power.reset();
    for (std::optional<BuildResult>* b : {&r.nearest, &r.best})
        if (*b)
            (*b)->power.reset();
}

Problem power_too_large(double available) {
    return "the power available, " + exact_number(available) +
           " W, gives figures too large to work out";
}

const Analysis* port_figures(const Result& r) {
    if (r.analysis)
        return &*r.analysis;
    return r.ports ? &*r.ports : nullptr;
}

bool gives_port_figures(const Result& r) {
    return r.analysis || !r.design.network->outward_matched;
}

void check_ratings(const Result& r, const std::string& of, std::vector<Problem>& problems) {
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
