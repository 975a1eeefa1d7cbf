// A network as the physical resistors it is built from, and what it does
// between a source and a load: nodal analysis in double precision.
//
// A balanced network is two lines: each series arm is split into a half in
// each line (R1A and R1B), and it is analysed as it stands, driven between
// its two inward nodes and loaded between its two outward nodes.
#pragma once

#include "network.h"

#include <string>
#include <vector>

namespace padcalc {

// One physical resistor between two nodes of a circuit.
struct Part {
    std::string name; // "R1", or "R1A" and "R1B" for the halves of a split arm
    int arm;          // which of the network's resistors (0 for R1) it is, or a half of
    int from;
    int to;
    double ohms;
};

struct Circuit {
    std::vector<std::string>
        nodes; // the ports' nodes first: inward +, inward -, outward +, outward -
    std::vector<Part> parts;
    bool balanced = false;
};

// Node numbers of the ports. An unbalanced network's common line is both
// ports' minus node.
constexpr int in_plus = 0;
constexpr int in_minus = 1;
constexpr int out_plus = 2;

int out_minus(const Circuit& c);

// The circuit of a network whose resistors have these values, in the order
// the network names them.
Circuit build_circuit(Network network, const std::vector<double>& resistors);

// What the network does between a source of internal impedance Z1 at the
// inward port and a load Z2 at the outward port, and turned round.
struct Analysis {
    double loss = 0;     // transducer loss in dB: the source's available power over the load's
    double z_in = 0;     // at the inward port, loaded by Z2
    double z_out = 0;    // at the outward port, fed from Z1
    double gamma_in = 0; // reflection coefficients, against Z1 and Z2
    double gamma_out = 0;
    double return_loss_in = 0; // dB; infinite for a perfect match
    double return_loss_out = 0;
    double vswr_in = 0;
    double vswr_out = 0;
    double s21 = 0; // forward and reverse transmission, referred to Z1 and Z2
    double s12 = 0;
};

Analysis analyse(const Circuit& c, double zone, double ztwo);
Analysis analyse(Network network, const std::vector<double>& resistors, double zone, double ztwo);

// The power in each physical resistor, in the order of Circuit::parts, and
// in the load, when a source with `available` watts feeds one port.
struct PowerFlow {
    std::vector<double> parts;
    double load = 0;
};

enum class Feed { inward, outward };

PowerFlow power_flow(const Circuit& c, double zone, double ztwo, double available, Feed feed);

} // namespace padcalc
