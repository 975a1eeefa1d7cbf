#include "nodal.h"

#include <cmath>
#include <cstddef>
#include <numbers>

namespace padcalc {
namespace {

// x / y written out: without the library's care for infinities, which
// admittances of finite parts never reach, it is many times quicker.
Complex divide(Complex x, Complex y) {
    double n = std::norm(y);
    return {(x.real() * y.real() + x.imag() * y.imag()) / n,
            (x.imag() * y.real() - x.real() * y.imag()) / n};
}

std::size_t index(int i) { return static_cast<std::size_t>(i); }

// A port's voltage: plus less minus, either of them perhaps ground (-1).
Complex port_volts(const std::vector<Complex>& v, int plus, int minus) {
    return (plus >= 0 ? v[index(plus)] : 0.0) - (minus >= 0 ? v[index(minus)] : 0.0);
}

} // namespace

NodalTwoPort::NodalTwoPort(const Circuit& c, const PartModel& model, double zone, double ztwo)
    : model_(model), zone_(zone), ztwo_(ztwo) {
    bool balanced = c.network->balanced;
    for (std::size_t node = 0; node < c.nodes.size(); ++node)
        unknown_.push_back(!balanced && static_cast<int>(node) == in_minus ? -1 : size_++);
    for (const Part& p : c.parts)
        branches_.push_back({unknown_[index(p.from)], unknown_[index(p.to)], p.ohms});
    in_ = {unknown_[index(in_plus)], unknown_[index(in_minus)]};
    out_ = {unknown_[index(out_plus)], unknown_[index(out_minus(c))]};
    auto n = index(size_);
    ground_terminal_.assign(n, 0.0);
    drive_in_.assign(n, 0.0);
    drive_out_.assign(n, 0.0);
    // A source of EMF 1 V and resistance Z is a current 1/Z into its node
    // beside a conductance 1/Z; a balanced one is half of each in each line,
    // about ground.
    auto terminate = [&](const std::vector<int>& port, double z, std::vector<Complex>& drive) {
        double share = balanced ? 2.0 : 1.0;
        ground_terminal_[index(port[0])] += share / z;
        drive[index(port[0])] = 1.0 / z;
        if (balanced) {
            ground_terminal_[index(port[1])] += share / z;
            drive[index(port[1])] = -1.0 / z;
        }
    };
    terminate(in_, zone, drive_in_);
    terminate(out_, ztwo, drive_out_);
    y_.assign(n * n, 0.0);
    g_.assign(n, 0.0);
    diagonal_.assign(n, 0.0);
}

void NodalTwoPort::stamp(int a, int b, Complex y) {
    if (a >= 0 && b >= 0) {
        y_[index(a * size_ + b)] += y;
        y_[index(b * size_ + a)] += y;
    } else if (a >= 0) {
        g_[index(a)] += y;
    } else if (b >= 0) {
        g_[index(b)] += y;
    }
}

SParameters NodalTwoPort::at(double hz) {
    double omega = 2.0 * std::numbers::pi * hz;
    std::fill(y_.begin(), y_.end(), 0.0);
    for (std::size_t i = 0; i < g_.size(); ++i)
        g_[i] = ground_terminal_[i];
    Complex to_ground(0.0, omega * model_.cg);
    for (const Branch& b : branches_) {
        Complex part = divide(1.0, Complex(b.ohms, omega * model_.ls));
        stamp(b.a, b.b, part + Complex(0.0, omega * model_.cp));
        stamp(b.a, -1, to_ground);
        stamp(b.b, -1, to_ground);
    }
    j_in_ = drive_in_;
    j_out_ = drive_out_;
    eliminate();
    Complex v1 = port_volts(v_in_, in_[0], in_[1]);
    Complex v2 = port_volts(v_in_, out_[0], out_[1]);
    Complex w1 = port_volts(v_out_, in_[0], in_[1]);
    Complex w2 = port_volts(v_out_, out_[0], out_[1]);
    double ratio = std::sqrt(zone_ / ztwo_);
    return {2.0 * v1 - 1.0, 2.0 * v2 * ratio, 2.0 * w1 / ratio, 2.0 * w2 - 1.0};
}

// The unknown not yet eliminated whose diagonal is largest against its
// largest coupling, with each one's diagonal worked out on the way.
std::size_t NodalTwoPort::pivot() {
    auto n = index(size_);
    std::size_t pivot = n;
    double best = -1;
    for (std::size_t i = 0; i < n; ++i) {
        if (done_[i])
            continue;
        Complex d = g_[i];
        double largest = 0;
        for (std::size_t j = 0; j < n; ++j)
            if (!done_[j] && j != i) {
                d += y_[i * n + j];
                largest = std::max(largest, std::norm(y_[i * n + j]));
            }
        diagonal_[i] = d;
        double scaled = largest > 0 ? std::norm(d) / largest : HUGE_VAL; // squared
        if (scaled > best) {
            best = scaled;
            pivot = i;
        }
    }
    return pivot;
}

// Folds unknown k into those left: a star-mesh transform of its node.
void NodalTwoPort::fold(std::size_t k) {
    auto n = index(size_);
    done_[k] = 1;
    order_.push_back(static_cast<int>(k));
    Complex d = diagonal_[k];
    for (std::size_t i = 0; i < n; ++i) {
        if (done_[i] || y_[i * n + k] == 0.0)
            continue;
        Complex f = divide(y_[i * n + k], d);
        for (std::size_t j = 0; j < n; ++j)
            if (!done_[j] && j != i)
                y_[i * n + j] += f * y_[k * n + j];
        g_[i] += f * g_[k];
        j_in_[i] += f * j_in_[k];
        j_out_[i] += f * j_out_[k];
    }
}

// Eliminates the unknowns one by one, then finds their voltages for both
// sources, the last eliminated first.
void NodalTwoPort::eliminate() {
    auto n = index(size_);
    order_.clear();
    done_.assign(n, 0);
    for (std::size_t step = 0; step < n; ++step)
        fold(pivot());
    v_in_.assign(n, 0.0);
    v_out_.assign(n, 0.0);
    for (auto it = order_.rbegin(); it != order_.rend(); ++it) {
        auto k = index(*it);
        Complex a = j_in_[k];
        Complex b = j_out_[k];
        // The unknowns eliminated after k are solved already; y_ keeps row
        // k as it was when k was eliminated.
        for (auto later = order_.rbegin(); later != it; ++later) {
            auto j = index(*later);
            a += y_[k * n + j] * v_in_[j];
            b += y_[k * n + j] * v_out_[j];
        }
        v_in_[k] = divide(a, diagonal_[k]);
        v_out_[k] = divide(b, diagonal_[k]);
    }
}

} // namespace padcalc
