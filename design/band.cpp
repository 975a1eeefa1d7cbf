#include "band.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace padcalc {
namespace {

constexpr double scan_step = 1.02;
constexpr double far_step = 1.1; // while every figure is far from its limit
constexpr double far = 0.1;      // a tenth of the way, in power
constexpr double narrowest = 1.001;
constexpr double lowest_hz = 1e-30;

// The limits as bounds on |S21|^2 and |S11|^2, |S22|^2: no logarithms.
class Test {
  public:
    Test(const SParameters& dc, const Limits& l, bool outward) : outward_(outward) {
        double through = std::norm(dc.s21);
        low_ = through * std::pow(10.0, -l.flat_db / 10);
        high_ = through * std::pow(10.0, l.flat_db / 10);
        reflected_ = std::pow(10.0, -l.match_db / 10);
        through_ = through;
        flat_ = std::log(high_ / through);
    }
    // How near the figures come to their limits: 1 at a limit, 0 at DC's
    // loss and a perfect match.
    double nearness(const SParameters& s) const {
        double near = std::max(std::fabs(std::log(std::norm(s.s21) / through_)) / flat_,
                               std::norm(s.s11) / reflected_);
        return outward_ ? std::max(near, std::norm(s.s22) / reflected_) : near;
    }
    // The limit that these S-parameters pass, if any.
    std::optional<Limit> failed(const SParameters& s) const {
        double through = std::norm(s.s21);
        if (!(through >= low_ && through <= high_))
            return Limit::loss;
        if (!(std::norm(s.s11) <= reflected_))
            return Limit::return_loss_in;
        if (outward_ && !(std::norm(s.s22) <= reflected_))
            return Limit::return_loss_out;
        return std::nullopt;
    }

  private:
    bool outward_;
    double low_, high_, reflected_, through_, flat_;
};

// Narrows (pass, fail] to a ratio of `narrowest`, on a log scale.
Holds narrow(Response& r, const Test& test, double pass, double fail, Limit limit) {
    while (fail / pass > narrowest) {
        double middle = std::sqrt(pass * fail);
        if (std::optional<Limit> f = test.failed(r.s(middle))) {
            fail = middle;
            limit = *f;
        } else {
            pass = middle;
        }
    }
    return {Holds::Kind::to, pass, limit};
}

int rank(const Holds& h) {
    return h.kind == Holds::Kind::beyond ? 0 : h.kind == Holds::Kind::to ? 1 : 2;
}

} // namespace

Holds holds(Response& r, const Limits& limits, bool outward_matched) {
    SParameters dc = r.s(0);
    Test test(dc, limits, outward_matched);
    if (std::optional<Limit> f = test.failed(dc))
        return {Holds::Kind::never, 0, *f};
    // Down from where the parts start to matter until the pad holds there,
    // then up in small steps to the first frequency where it does not.
    double pass = std::min(r.quiet_hz(), holds_ceiling_hz);
    while (std::optional<Limit> f = test.failed(r.s(pass))) {
        if (pass < lowest_hz) // parasitics beyond any part's
            return {Holds::Kind::never, 0, *f};
        pass /= 10;
    }
    double step = scan_step;
    while (pass < holds_ceiling_hz) {
        double next = std::min(pass * step, holds_ceiling_hz);
        SParameters s = r.s(next);
        if (std::optional<Limit> f = test.failed(s))
            return narrow(r, test, pass, next, *f);
        step = test.nearness(s) < far ? far_step : scan_step;
        pass = next;
    }
    return {};
}

std::vector<Compared> compare_networks(const Design& d, const PartModel& model,
                                       const Limits& limits) {
    std::vector<Compared> out;
    for (const NetworkInfo& n : networks()) {
        if (n.min_loss != d.network->min_loss)
            continue;
        Design other = design(&n, d.zone, d.ztwo, d.loss);
        if (!other.buildable)
            continue;
        Response r(&n, other.resistors, {}, model, d.zone, d.ztwo);
        out.push_back({&n, holds(r, limits, n.outward_matched)});
    }
    std::stable_sort(out.begin(), out.end(), [](const Compared& x, const Compared& y) {
        if (rank(x.holds) != rank(y.holds))
            return rank(x.holds) < rank(y.holds);
        return x.holds.kind == Holds::Kind::to && x.holds.hz > y.holds.hz;
    });
    return out;
}

} // namespace padcalc
