#include "circuit.h"

#include <array>
#include <cmath>
#include <cstddef>

namespace padcalc {
namespace {

// Arms split into a half in each line carry the suffixes A and B.
void add_arm(Circuit& c, std::string_view name, int arm, double ohms, int from, int to) {
    c.parts.push_back({std::string(name), arm, from, to, ohms});
}

void add_split_arm(Circuit& c, std::string_view name, int arm, double ohms, int from_a, int to_a,
                   int from_b, int to_b) {
    c.parts.push_back({std::string(name) + "A", arm, from_a, to_a, ohms});
    c.parts.push_back({std::string(name) + "B", arm, from_b, to_b, ohms});
}

// The junction of an unbalanced Tee's arms, the node after the ports'.
constexpr int mid = 3;

constexpr std::size_t max_nodes = 6;
using Matrix = std::array<std::array<double, max_nodes + 1>, max_nodes>;

// Solves the nodal equations G v = i held in the augmented matrix `m` over
// `n` nodes, by elimination with partial pivoting; v ends in column n.
void solve(Matrix& m, std::size_t n) {
    for (std::size_t col = 0; col < n; ++col) {
        std::size_t pivot = col;
        for (std::size_t row = col + 1; row < n; ++row)
            if (std::fabs(m[row][col]) > std::fabs(m[pivot][col]))
                pivot = row;
        std::swap(m[col], m[pivot]);
        for (std::size_t row = 0; row < n; ++row) {
            if (row == col || m[row][col] == 0)
                continue;
            double f = m[row][col] / m[col][col];
            for (std::size_t k = col; k <= n; ++k)
                m[row][k] -= f * m[col][k];
        }
    }
    for (std::size_t row = 0; row < n; ++row)
        m[row][n] /= m[row][row];
}

// The row of a node's equation: the reference node has none, so the nodes
// after it move up one.
std::size_t row_of(int node, int reference) {
    return static_cast<std::size_t>(node > reference ? node - 1 : node);
}

// A conductance between two nodes.
void stamp(Matrix& m, int a, int b, double g, int reference) {
    auto at = [reference](int node) { return row_of(node, reference); };
    if (a != reference)
        m[at(a)][at(a)] += g;
    if (b != reference)
        m[at(b)][at(b)] += g;
    if (a != reference && b != reference) {
        m[at(a)][at(b)] -= g;
        m[at(b)][at(a)] -= g;
    }
}

struct Port {
    int plus;
    int minus;
};

// The node voltages when a source of EMF `emf` and internal resistance
// `source` drives port `driven` and a resistance `load` loads port `loaded`.
std::vector<double> node_voltages(const Circuit& c, Port driven, Port loaded, double emf,
                                  double source, double load) {
    std::size_t nodes = c.nodes.size();
    int reference = driven.minus;
    Matrix m{};
    for (const Part& p : c.parts)
        stamp(m, p.from, p.to, 1.0 / p.ohms, reference);
    stamp(m, driven.plus, driven.minus, 1.0 / source, reference);
    stamp(m, loaded.plus, loaded.minus, 1.0 / load, reference);
    // The source as its Norton equivalent: a current emf/source into the plus node.
    m[row_of(driven.plus, reference)][nodes - 1] += emf / source;
    solve(m, nodes - 1);
    std::vector<double> v(nodes, 0.0);
    for (int node = 0; node < static_cast<int>(nodes); ++node)
        if (node != reference)
            v[static_cast<std::size_t>(node)] = m[row_of(node, reference)][nodes - 1];
    return v;
}

Port inward_port() { return {in_plus, in_minus}; }
Port outward_port(const Circuit& c) { return {out_plus, out_minus(c)}; }

// One way through the network: the impedance seen at the driven port, and
// the transmission 2 (V_load / emf) sqrt(source / load).
struct Drive {
    double z = 0;
    double transmission = 0;
};

Drive drive(const Circuit& c, Port driven, Port loaded, double source, double load) {
    const double emf = 1.0;
    std::vector<double> v = node_voltages(c, driven, loaded, emf, source, load);
    double v_driven =
        v[static_cast<std::size_t>(driven.plus)] - v[static_cast<std::size_t>(driven.minus)];
    double v_loaded =
        v[static_cast<std::size_t>(loaded.plus)] - v[static_cast<std::size_t>(loaded.minus)];
    double current = (emf - v_driven) / source;
    return {v_driven / current, 2.0 * v_loaded / emf * std::sqrt(source / load)};
}

double return_loss(double gamma) { return -20.0 * std::log10(std::fabs(gamma)); }
double vswr(double gamma) { return (1.0 + std::fabs(gamma)) / (1.0 - std::fabs(gamma)); }

} // namespace

int out_minus(const Circuit& c) { return c.balanced ? 3 : in_minus; }

Circuit build_circuit(Network network, const std::vector<double>& r) {
    Circuit c;
    if (info(network).balanced) {
        c.balanced = true;
        c.nodes = {"inp", "inn", "outp", "outn"};
    } else {
        c.nodes = {"in", "gnd", "out"};
    }
    const int common = in_minus;
    switch (network) {
    case Network::tee:
    case Network::bridged_tee:
        c.nodes.emplace_back("mid");
        add_arm(c, "R1", 0, r[0], in_plus, mid);
        add_arm(c, "R2", 1, r[1], mid, out_plus);
        add_arm(c, "R3", 2, r[2], mid, common);
        if (network == Network::bridged_tee)
            add_arm(c, "R4", 3, r[3], in_plus, out_plus);
        break;
    case Network::h: {
        c.nodes.insert(c.nodes.end(), {"midp", "midn"});
        const int mid_a = 4; // after the four port nodes
        const int mid_other = 5;
        add_split_arm(c, "R1", 0, r[0], in_plus, mid_a, in_minus, mid_other);
        add_split_arm(c, "R2", 1, r[1], mid_a, out_plus, mid_other, 3);
        add_arm(c, "R3", 2, r[2], mid_a, mid_other);
        break;
    }
    case Network::pi:
        add_arm(c, "R1", 0, r[0], in_plus, common);
        add_arm(c, "R2", 1, r[1], out_plus, common);
        add_arm(c, "R3", 2, r[2], in_plus, out_plus);
        break;
    case Network::pi_bal:
        add_arm(c, "R1", 0, r[0], in_plus, in_minus);
        add_arm(c, "R2", 1, r[1], out_plus, 3);
        add_split_arm(c, "R3", 2, r[2], in_plus, out_plus, in_minus, 3);
        break;
    case Network::min_loss:
        add_arm(c, "R1", 0, r[0], in_plus, out_plus);
        add_arm(c, "R3", 1, r[1], out_plus, common);
        break;
    case Network::min_loss_bal:
        add_split_arm(c, "R1", 0, r[0], in_plus, out_plus, in_minus, 3);
        add_arm(c, "R3", 1, r[1], out_plus, 3);
        break;
    }
    return c;
}

Analysis analyse(const Circuit& c, double zone, double ztwo) {
    Drive forward = drive(c, inward_port(), outward_port(c), zone, ztwo);
    Drive reverse = drive(c, outward_port(c), inward_port(), ztwo, zone);
    Analysis a;
    a.z_in = forward.z;
    a.z_out = reverse.z;
    a.s21 = forward.transmission;
    a.s12 = reverse.transmission;
    a.loss = -20.0 * std::log10(std::fabs(a.s21));
    a.gamma_in = (a.z_in - zone) / (a.z_in + zone);
    a.gamma_out = (a.z_out - ztwo) / (a.z_out + ztwo);
    a.return_loss_in = return_loss(a.gamma_in);
    a.return_loss_out = return_loss(a.gamma_out);
    a.vswr_in = vswr(a.gamma_in);
    a.vswr_out = vswr(a.gamma_out);
    return a;
}

Analysis analyse(Network network, const std::vector<double>& resistors, double zone, double ztwo) {
    return analyse(build_circuit(network, resistors), zone, ztwo);
}

PowerFlow power_flow(const Circuit& c, double zone, double ztwo, double available, Feed feed) {
    bool inward = feed == Feed::inward;
    Port driven = inward ? inward_port() : outward_port(c);
    Port loaded = inward ? outward_port(c) : inward_port();
    double source = inward ? zone : ztwo;
    double load = inward ? ztwo : zone;
    // A source of internal resistance R makes E^2 / 4R available.
    double emf = std::sqrt(4.0 * available * source);
    std::vector<double> v = node_voltages(c, driven, loaded, emf, source, load);
    auto across = [&v](int a, int b) {
        return v[static_cast<std::size_t>(a)] - v[static_cast<std::size_t>(b)];
    };
    PowerFlow flow;
    for (const Part& p : c.parts) {
        double volts = across(p.from, p.to);
        flow.parts.push_back(volts * volts / p.ohms);
    }
    double v_load = across(loaded.plus, loaded.minus);
    flow.load = v_load * v_load / load;
    return flow;
}

} // namespace padcalc
