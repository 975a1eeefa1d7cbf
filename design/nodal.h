// A pad's S-parameters at one frequency, by complex nodal analysis of its
// physical circuit with every part as the part model has it.
//
// Ground is the common line of an unbalanced network. A balanced network is
// driven and loaded symmetrically about ground: a source of Z1/2 in each
// inward line and a load of Z2/2 from each outward line to ground, so that
// its ground is the midpoint of the source and of the load, and its
// S-parameters are those of its differential ports.
//
// The nodes are eliminated one at a time (a star-mesh transform), each
// node's admittance to ground kept apart from its branches to the others,
// and its diagonal formed from them as a sum. For resistors alone every
// term is then a sum of products of positive values, so nothing cancels
// and the result is right to a few units in the last place for any mix of
// values. The node eliminated next is the one whose diagonal is largest
// against its row's other entries.
#pragma once

#include "circuit.h"
#include "part_model.h"

#include <complex>
#include <vector>

namespace padcalc {

using Complex = std::complex<double>;

// Port 1 referred to Z1 and port 2 to Z2: power waves in real references.
struct SParameters {
    Complex s11, s21, s12, s22;
};

class NodalTwoPort {
  public:
    NodalTwoPort(const Circuit& c, const PartModel& model, double zone, double ztwo);
    SParameters at(double hz);

  private:
    struct Branch {
        int a, b; // unknowns, or -1 for ground
        double ohms;
    };
    void stamp(int a, int b, Complex y);
    void eliminate();
    std::size_t pivot();
    void fold(std::size_t k);

    PartModel model_;
    double zone_, ztwo_;
    int size_ = 0;
    std::vector<int> unknown_; // each circuit node's unknown, or -1 for ground
    std::vector<Branch> branches_;
    std::vector<int> in_, out_;           // the ports' nodes: plus, minus
    std::vector<double> ground_terminal_; // each unknown's conductance to ground from the ports
    std::vector<Complex> drive_in_, drive_out_; // currents of a 1 V source at each port
    // Working values at one frequency.
    std::vector<Complex> y_, g_, j_in_, j_out_, v_in_, v_out_, diagonal_;
    std::vector<int> order_;
    std::vector<char> done_;
};

} // namespace padcalc
