#include "spice.h"

#include "export_text.h"

#include <algorithm>
#include <cctype>

namespace padcalc {
namespace {

// The circuit's names for its nodes, but for an unbalanced pad's common
// line: never `gnd` or `0`, which simulators take for the global ground.
std::string node_name(const Circuit& circuit, int node) {
    if (!circuit.network->balanced && node == in_minus)
        return std::string(spice_common_port);
    return circuit.nodes[static_cast<std::size_t>(node)];
}

std::string port_list(const Circuit& circuit) {
    if (circuit.network->balanced)
        return node_name(circuit, in_plus) + " " + node_name(circuit, in_minus) + " " +
               node_name(circuit, out_plus) + " " + node_name(circuit, out_minus(circuit));
    return node_name(circuit, in_plus) + " " + node_name(circuit, out_plus) + " " +
           node_name(circuit, in_minus);
}

// A value as a name can hold it: 2.5 is 2P5, 1e-05 is 1EM05.
std::string name_number(double value) {
    std::string out;
    for (char c : exact_number(value)) {
        if (c == '.')
            out += 'P';
        else if (c == '-')
            out += 'M';
        else if (std::isalnum(static_cast<unsigned char>(c)))
            out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return out;
}

std::string element(const std::string& name, const std::string& from, const std::string& to,
                    double value) {
    return name + " " + from + " " + to + " " + exact_number(value) + "\n";
}

// A part's lines as the part model has it.
std::string modelled_part(const Circuit& circuit, const Part& part, const PartModel& m) {
    std::string from = node_name(circuit, part.from);
    std::string to = node_name(circuit, part.to);
    std::string inner = m.ls > 0 ? "n_" + part.name : to;
    std::string ground(spice_ground_port);
    std::string out = element(part.name, from, inner, part.ohms);
    if (m.ls > 0)
        out += element("L_" + part.name, inner, to, m.ls);
    if (m.cp > 0)
        out += element("CP_" + part.name, from, to, m.cp);
    if (m.cg > 0)
        out += element("CG1_" + part.name, from, ground, m.cg) +
               element("CG2_" + part.name, to, ground, m.cg);
    return out;
}

// A simulator may take the first line of a file for its title: it is
// always a comment.
std::string subcircuit(const Circuit& circuit, std::string_view name,
                       const std::vector<std::string>& comment_lines, const PartModel* model) {
    std::string out =
        comment_lines.empty() ? "* " + std::string(name) + "\n" : comment_block(comment_lines, "*");
    out += ".subckt " + std::string(name) + " " + port_list(circuit);
    out += model ? " " + std::string(spice_ground_port) + "\n" : "\n";
    for (const Part& part : circuit.parts)
        out += model ? modelled_part(circuit, part, *model)
                     : element(part.name, node_name(circuit, part.from),
                               node_name(circuit, part.to), part.ohms);
    out += ".ends " + std::string(name) + "\n";
    return out;
}

} // namespace

std::string spice_subcircuit(const Circuit& circuit, std::string_view name,
                             const std::vector<std::string>& comment_lines) {
    return subcircuit(circuit, name, comment_lines, nullptr);
}

std::string spice_subcircuit(const Circuit& circuit, std::string_view name,
                             const std::vector<std::string>& comment_lines,
                             const PartModel& model) {
    return subcircuit(circuit, name, comment_lines, &model);
}

bool valid_spice_name(std::string_view name) {
    auto is_letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    auto is_digit = [](char c) { return c >= '0' && c <= '9'; };
    if (name.empty() || name.size() > max_spice_name || !is_letter(name.front()))
        return false;
    return std::all_of(name.begin(), name.end(),
                       [&](char c) { return is_letter(c) || is_digit(c) || c == '_'; });
}

std::string default_spice_name(Network network, double zone, double ztwo, double loss) {
    const NetworkInfo& about = *network;
    std::string name;
    for (char c : about.id)
        name += c == '-' ? '_' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    name += "_" + name_number(zone);
    if (!about.equal_impedances)
        name += "_" + name_number(ztwo);
    if (!about.min_loss)
        name += "_" + name_number(loss) + "DB";
    return name;
}

} // namespace padcalc
