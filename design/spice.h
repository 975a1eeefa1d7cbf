// A pad as a SPICE subcircuit, to drop into a circuit simulation with the
// exact values the design gave.
#pragma once

#include "circuit.h"
#include "part_model.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace padcalc {

// The subcircuit of the circuit's physical resistors: the comment lines as
// "*" lines (the name alone when there are none, so that the first line is
// never taken for a title), then `.subckt NAME in out com` for an unbalanced
// network or `.subckt NAME inp inn outp outn` for a balanced one, a line for
// each resistor with its value in ohms as the shortest text that reads back
// to the same double, and `.ends NAME`. The values must be positive and
// finite.
//
// The common line of an unbalanced pad is the port `com`, local to the
// subcircuit. A node named `gnd` is taken for the global ground by ngspice
// (and GND by HSPICE), so a pad whose common line is not at ground, or is
// driven through a transformer, would be wired wrong.
inline constexpr std::string_view spice_common_port = "com";

std::string spice_subcircuit(const Circuit& circuit, std::string_view name,
                             const std::vector<std::string>& comment_lines);

// Pads in cascade as one subcircuit, the stages in order from the inward
// port: the ports as for one pad, and stage k's parts and junctions named
// with _Sk and _sk ("R1_S2", "mid_s2"); stage k meets stage k + 1 at node
// sk (or skp and skn). One stage is the pad's own subcircuit.
std::string spice_cascade(std::span<const Circuit> stages, std::string_view name,
                          const std::vector<std::string>& comment_lines);
// The same with each part as the part model has it (below).
std::string spice_cascade(std::span<const Circuit> stages, std::string_view name,
                          const std::vector<std::string>& comment_lines, const PartModel& model);

// The same with each part as the part model has it: the resistor R1 in
// series with the inductance L_R1 (through the node n_R1), the capacitance
// CP_R1 across the two, and CG1_R1 and CG2_R1 from its ends to the port
// `gnd`, which comes last. An inductance or capacitance of zero is left out.
//
// ngspice and HSPICE take a node named gnd for the global ground, inside a
// subcircuit too: in them the capacitances to ground go to the simulation's
// ground whatever the port is wired to.
inline constexpr std::string_view spice_ground_port = "gnd";

std::string spice_subcircuit(const Circuit& circuit, std::string_view name,
                             const std::vector<std::string>& comment_lines, const PartModel& model);

// Whether a subcircuit name is safe in every common SPICE: a letter first,
// then letters, digits and underscores, at most max_spice_name characters.
// Dots, dollar signs, brackets and the like mean something to one simulator
// or another, so they are refused.
constexpr std::size_t max_spice_name = 128;
bool valid_spice_name(std::string_view name);

// The network and its entries as a name, such as TEE_50_75_10DB: a minimal
// loss pad has no loss in its name and a bridged Tee one impedance. A point
// becomes P (2.5 is 2P5), as in resistor codes, so the name stays valid.
std::string default_spice_name(Network network, double zone, double ztwo, double loss);

} // namespace padcalc
