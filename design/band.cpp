#include "band.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace padcalc {
namespace {

constexpr double scan_step = 1.02;
constexpr double narrowest = 1.001;
constexpr double lowest_hz = 1e-30;

class Test {
  public:
    Test(const Point& dc, const Limits& l, bool outward) : dc_(dc), l_(l), outward_(outward) {}
    // The limit that this point passes, if any.
    std::optional<Limit> failed(const Point& p) const {
        if (!(std::fabs(p.loss - dc_.loss) <= l_.flat_db))
            return Limit::loss;
        if (!(p.return_loss_in >= l_.match_db))
            return Limit::return_loss_in;
        if (outward_ && !(p.return_loss_out >= l_.match_db))
            return Limit::return_loss_out;
        return std::nullopt;
    }

  private:
    const Point& dc_;
    const Limits& l_;
    bool outward_;
};

// Narrows (pass, fail] to a ratio of `narrowest`, on a log scale.
Holds narrow(Response& r, const Test& test, double pass, double fail, Limit limit) {
    while (fail / pass > narrowest) {
        double middle = std::sqrt(pass * fail);
        if (std::optional<Limit> f = test.failed(r.at(middle))) {
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
    Point dc = r.at(0);
    Test test(dc, limits, outward_matched);
    if (std::optional<Limit> f = test.failed(dc))
        return {Holds::Kind::never, 0, *f};
    // Down from where the parts start to matter until the pad holds there,
    // then up in small steps to the first frequency where it does not.
    double pass = std::min(r.quiet_hz(), holds_ceiling_hz);
    while (std::optional<Limit> f = test.failed(r.at(pass))) {
        if (pass < lowest_hz) // parasitics beyond any part's
            return {Holds::Kind::never, 0, *f};
        pass /= 10;
    }
    while (pass < holds_ceiling_hz) {
        double next = std::min(pass * scan_step, holds_ceiling_hz);
        if (std::optional<Limit> f = test.failed(r.at(next)))
            return narrow(r, test, pass, next, *f);
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
