// The power in each physical part of a pad, and in its load, when a source
// of given available power feeds one port and the other port sees a load of
// any reflection: matched, open, shorted, or of a VSWR at its worst phase.
// Pads in cascade are walked as one circuit.
#pragma once

#include "circuit.h"
#include "load.h"

#include <complex>
#include <span>
#include <vector>

namespace padcalc {

enum class Feed { inward, outward };

// What each part of a circuit takes, in the order of Circuit::parts, and
// what leaves the circuit at its far port, to the load or the next stage.
struct PowerFlow {
    std::vector<double> parts; // watts
    std::vector<double> volts; // RMS volts across each part
    double load = 0;           // watts
    double load_volts = 0;
    // For a VSWR: the phase of the load's reflection, in degrees, at which
    // each part's figures (and the load's) are largest.
    std::vector<double> phase;
    double load_phase = 0;
};

// Pads in cascade, in order from the inward port, between a source of
// `available` watts with internal impedance Z1 at the inward port and a
// load whose reflection against Z2 is `gamma` at the outward port; fed
// outward, the source (Z2) is at the outward port and the load at the
// inward one, its reflection against Z1. One flow for each pad, in the
// order given.
std::vector<PowerFlow> power_flow(std::span<const Circuit> stages, double zone, double ztwo,
                                  double available, Feed feed, std::complex<double> gamma);

// One pad with a matched load.
PowerFlow power_flow(const Circuit& c, double zone, double ztwo, double available, Feed feed);

// The flows with this load. For a VSWR, each part's figures and the load's
// are their largest over every phase of the reflection, with the phase of
// each power (the load's voltage may be largest at another).
std::vector<PowerFlow> load_flow(std::span<const Circuit> stages, double zone, double ztwo,
                                 double available, Feed feed, const Load& load);

} // namespace padcalc
