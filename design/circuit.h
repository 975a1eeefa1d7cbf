// A network between a source and a load, worked out from its topology: the
// chain (ABCD) parameters of its ladder, from which come the loss and the
// match at both ports, the physical resistors it is built from, and the
// power each of them dissipates.
//
// The chain parameters are kept as A - 1, B, C and D - 1. For a ladder of
// positive resistances each is a sum of products of positive values, and a
// bridge keeps them so, so nothing cancels: the figures are right to a few
// units in the last place for any mix of values, a milliohm beside a
// teraohm included. A balanced network is analysed between its two lines:
// the halves of a split series arm are both in the loop.
#pragma once

#include "network.h"

#include <string>
#include <vector>

namespace padcalc {

// One physical resistor between two nodes of the circuit.
struct Part {
    std::string name; // "R1", or "R1A" and "R1B" for the halves of a split arm
    int resistor;     // which of the network's resistors (0 for R1) it is, or is half of
    int from;
    int to;
    double ohms;
};

// The nodes are the ports' first: inward +, inward - (the common line of an
// unbalanced network), outward +, and for a balanced network outward -;
// then the junctions inside, in the order the ladder meets them.
struct Circuit {
    Network network = nullptr;
    std::vector<std::string> nodes;
    std::vector<Part> parts; // in the order the network names its resistors, A before B
};

constexpr int in_plus = 0;
constexpr int in_minus = 1;
constexpr int out_plus = 2;
int out_minus(const Circuit& c);

// The circuit of a network whose resistors have these values.
Circuit build_circuit(Network network, const std::vector<double>& resistors);

// Chain parameters, as A - 1, B, C, D - 1.
struct Chain {
    double a_less_one = 0;
    double b = 0;
    double c = 0;
    double d_less_one = 0;
};

// The chain of the network whose resistors have these values (each the value
// of one physical part, as the network names them): the search's quick model.
Chain chain(Network network, const std::vector<double>& resistors);

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

Analysis analyse(const Chain& t, double zone, double ztwo);
// The port impedances, reflection coefficients and transmissions alone,
// without the logarithms: what a search needs to compare many chains.
Analysis match(const Chain& t, double zone, double ztwo);
Analysis analyse(const Circuit& c, double zone, double ztwo);
Analysis analyse(Network network, const std::vector<double>& resistors, double zone, double ztwo);

// A network built from given resistors, between a source Z1 and a load Z2:
// its least loss, and the loss it has. Buildable when the values make a
// network (why_not_a_network).
Design checked_design(Network network, double zone, double ztwo, std::vector<double> resistors);

// The power in each physical resistor, in the order of Circuit::parts, and
// in the load, when a source with `available` watts feeds one port.
struct PowerFlow {
    std::vector<double> parts;
    double load = 0;
};

enum class Feed { inward, outward };

PowerFlow power_flow(const Circuit& c, double zone, double ztwo, double available, Feed feed);

} // namespace padcalc
