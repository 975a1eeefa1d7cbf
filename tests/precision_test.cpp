// The design library against references worked in quadruple precision with
// the textbook formulas, which cancel but have digits to spare; and its
// chain analysis against a nodal analysis of the physical circuit it lays
// out, so that the quick model, the figures and the circuit agree.

#include "design/circuit.h"

#include <gtest/gtest.h>

#include <quadmath.h>

#include <cmath>
#include <string>
#include <vector>

namespace padcalc {
namespace {

using Quad = __float128;

// Each network's resistors by the textbook formulas: N the power ratio, K
// its square root.
std::vector<Quad> reference(const NetworkInfo& n, Quad z1, Quad z2, Quad loss) {
    Quad big_n = powq(10, loss / 10);
    Quad k = sqrtq(big_n);
    Quad coth = (big_n + 1) / (big_n - 1);
    Quad tee3 = 2 * sqrtq(big_n * z1 * z2) / (big_n - 1);
    Quad pi3 = (big_n - 1) / 2 * sqrtq(z1 * z2 / big_n);
    Quad a = sqrtq(1 - z2 / z1);
    std::string id(n.id);
    if (id == "tee" || id == "h") {
        Quad parts = id == "h" ? 2 : 1;
        return {(z1 * coth - tee3) / parts, (z2 * coth - tee3) / parts, tee3};
    }
    if (id == "pi" || id == "pi-bal")
        return {1 / (coth / z1 - 1 / pi3), 1 / (coth / z2 - 1 / pi3), pi3 / (id == "pi" ? 1 : 2)};
    if (id == "min-loss" || id == "min-loss-bal")
        return {z1 * a / (id == "min-loss" ? 1 : 2), z2 / a};
    if (id == "bridged-tee")
        return {z1, z1, z1 / (k - 1), z1 * (k - 1)};
    if (id == "l-pad" || id == "u-pad")
        return {z1 * (1 - 1 / k) / (id == "l-pad" ? 1 : 2), z1 / (k - 1)};
    ADD_FAILURE() << "no reference for " << id;
    return {};
}

TEST(Precision, EveryResistorWithin1e9OfItsExactValue) {
    const double impedances[] = {0.1, 1, 50, 75, 600, 1e4, 1e7};
    const double above_least[] = {0.001, 0.01, 0.1, 1, 10, 100};
    double worst = 0;
    for (const NetworkInfo& n : networks())
        for (double za : impedances)
            for (double zb : impedances) {
                double z1 = n.min_loss ? std::max(za, zb) : za;
                double z2 = n.equal_impedances ? z1 : n.min_loss ? std::min(za, zb) : zb;
                if (n.min_loss && z1 == z2)
                    continue;
                std::vector<double> losses = {300};
                for (double extra : above_least)
                    losses.push_back(least_loss(z1, z2) + extra);
                for (double loss : losses) {
                    Design d = design(&n, z1, z2, loss);
                    std::vector<Quad> exact = reference(n, z1, z2, loss);
                    ASSERT_EQ(d.resistors.size(), exact.size());
                    for (std::size_t r = 0; r < exact.size(); ++r) {
                        double error = static_cast<double>(fabsq(d.resistors[r] / exact[r] - 1));
                        worst = std::max(worst, error);
                        EXPECT_LT(error, 1e-9) << n.id << " " << z1 << " " << z2 << " " << loss
                                               << " R" << r + 1 << " " << d.resistors[r];
                    }
                }
            }
    RecordProperty("worst_relative_error", std::to_string(worst));
}

// Solves the nodal equations of the physical circuit in quadruple
// precision, a source of Z1 at the inward port and a load of Z2 at the
// outward: the input impedance and the voltage across the load, per volt of EMF.
std::pair<Quad, Quad> nodal(const Circuit& c, Quad z1, Quad z2) {
    std::size_t size = c.nodes.size() - 1; // the inward minus node is the reference
    std::vector<std::vector<Quad>> m(size, std::vector<Quad>(size + 1, 0));
    // The reference node has no equation: the nodes after it move up one.
    auto row = [](int node) { return static_cast<std::size_t>(node > in_minus ? node - 1 : node); };
    auto stamp = [&](int a, int b, Quad g) {
        if (a != in_minus)
            m[row(a)][row(a)] += g;
        if (b != in_minus)
            m[row(b)][row(b)] += g;
        if (a != in_minus && b != in_minus) {
            m[row(a)][row(b)] -= g;
            m[row(b)][row(a)] -= g;
        }
    };
    for (const Part& p : c.parts)
        stamp(p.from, p.to, 1 / Quad(p.ohms));
    stamp(in_plus, in_minus, 1 / z1);
    stamp(out_plus, out_minus(c), 1 / z2);
    m[row(in_plus)][size] = 1 / z1; // one volt of EMF, as a Norton source
    for (std::size_t col = 0; col < size; ++col) {
        std::size_t pivot = col;
        for (std::size_t r = col + 1; r < size; ++r)
            if (fabsq(m[r][col]) > fabsq(m[pivot][col]))
                pivot = r;
        std::swap(m[col], m[pivot]);
        for (std::size_t r = 0; r < size; ++r)
            if (r != col && m[r][col] != 0) {
                Quad f = m[r][col] / m[col][col];
                for (std::size_t k = col; k <= size; ++k)
                    m[r][k] -= f * m[col][k];
            }
    }
    auto volts = [&](int node) {
        return node == in_minus ? Quad(0) : m[row(node)][size] / m[row(node)][row(node)];
    };
    Quad v_in = volts(in_plus);
    Quad v_out = volts(out_plus) - volts(out_minus(c));
    return {v_in / ((1 - v_in) / z1), v_out};
}

TEST(Precision, ChainAgreesWithTheCircuitItLaysOut) {
    for (const NetworkInfo& n : networks()) {
        // Values of every kind, far apart: each resistor differs from the others.
        for (std::vector<double> r :
             {std::vector<double>{10, 220, 47, 3300}, std::vector<double>{1e-9, 50, 1e15, 7},
              std::vector<double>{1e12, 1e-6, 2, 1e9}}) {
            r.resize(n.resistors.size());
            Circuit c = build_circuit(&n, r);
            for (auto [z1, z2] : {std::pair{50.0, 75.0}, {600.0, 0.5}}) {
                Analysis quick = analyse(chain(&n, r), z1, z2);
                Analysis full = analyse(c, z1, z2);
                auto [z_in, v_out] = nodal(c, z1, z2);
                double s21 = static_cast<double>(2 * v_out * sqrtq(Quad(z1) / z2));
                std::string what = std::string(n.id) + " " + std::to_string(r[0]);
                EXPECT_NEAR(quick.s21 / s21, 1, 1e-12) << what;
                EXPECT_NEAR(full.s21 / s21, 1, 1e-12) << what;
                EXPECT_NEAR(full.z_in / static_cast<double>(z_in), 1, 1e-12) << what;
            }
        }
    }
}

} // namespace
} // namespace padcalc
