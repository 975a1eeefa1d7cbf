#include "spice.h"

#include "export_text.h"

#include <algorithm>
#include <cctype>

namespace padcalc {
namespace {

// The names of a stage's nodes in the subcircuit: the circuit's own for
// one pad, but for an unbalanced pad's common line, which is never `gnd`
// or `0` (simulators take those for the global ground); in a cascade, the
// ports between stages are the junctions sk, and the nodes inside a stage
// take _sk.
class Nodes {
  public:
    Nodes(const Circuit& circuit, std::size_t stage, std::size_t stages)
        : circuit_(circuit), stage_(stage), stages_(stages) {}

    std::string operator()(int node) const {
        bool balanced = circuit_.network->balanced;
        if (!balanced && node == in_minus)
            return std::string(spice_common_port);
        bool inward = node == in_plus || node == in_minus;
        bool outward = node == out_plus || (balanced && node == out_minus(circuit_));
        std::string own = circuit_.nodes[static_cast<std::size_t>(node)];
        if (stages_ == 1)
            return own;
        if (inward && stage_ > 0)
            return junction(stage_, node == in_plus);
        if (outward && stage_ + 1 < stages_)
            return junction(stage_ + 1, node == out_plus);
        return inward || outward ? own : own + "_s" + std::to_string(stage_ + 1);
    }

    std::string part(const Part& p) const {
        return stages_ == 1 ? p.name : p.name + "_S" + std::to_string(stage_ + 1);
    }

  private:
    std::string junction(std::size_t after, bool plus) const {
        std::string name = "s" + std::to_string(after);
        if (circuit_.network->balanced)
            name += plus ? "p" : "n";
        return name;
    }

    const Circuit& circuit_;
    std::size_t stage_;
    std::size_t stages_;
};

std::string port_list(const Circuit& circuit) {
    Nodes name(circuit, 0, 1);
    if (circuit.network->balanced)
        return name(in_plus) + " " + name(in_minus) + " " + name(out_plus) + " " +
               name(out_minus(circuit));
    return name(in_plus) + " " + name(out_plus) + " " + name(in_minus);
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
std::string modelled_part(const Nodes& node, const Part& part, const PartModel& m) {
    std::string name = node.part(part);
    std::string from = node(part.from);
    std::string to = node(part.to);
    std::string inner = m.ls > 0 ? "n_" + name : to;
    std::string ground(spice_ground_port);
    std::string out = element(name, from, inner, part.ohms);
    if (m.ls > 0)
        out += element("L_" + name, inner, to, m.ls);
    if (m.cp > 0)
        out += element("CP_" + name, from, to, m.cp);
    if (m.cg > 0)
        out +=
            element("CG1_" + name, from, ground, m.cg) + element("CG2_" + name, to, ground, m.cg);
    return out;
}

// The stages in order as one subcircuit, each part as the model has it when
// there is one. A simulator may take the first line of a file for its
// title: it is always a comment.
std::string subcircuit(std::span<const Circuit> stages, std::string_view name,
                       const std::vector<std::string>& comment_lines, const PartModel* model) {
    std::string out =
        comment_lines.empty() ? "* " + std::string(name) + "\n" : comment_block(comment_lines, "*");
    out += ".subckt " + std::string(name) + " " + port_list(stages.front());
    out += model ? " " + std::string(spice_ground_port) + "\n" : "\n";
    for (std::size_t k = 0; k < stages.size(); ++k) {
        Nodes node(stages[k], k, stages.size());
        for (const Part& part : stages[k].parts)
            out += model ? modelled_part(node, part, *model)
                         : element(node.part(part), node(part.from), node(part.to), part.ohms);
    }
    out += ".ends " + std::string(name) + "\n";
    return out;
}

} // namespace

std::string spice_subcircuit(const Circuit& circuit, std::string_view name,
                             const std::vector<std::string>& comment_lines) {
    return subcircuit({&circuit, 1}, name, comment_lines, nullptr);
}

std::string spice_subcircuit(const Circuit& circuit, std::string_view name,
                             const std::vector<std::string>& comment_lines,
                             const PartModel& model) {
    return subcircuit({&circuit, 1}, name, comment_lines, &model);
}

std::string spice_cascade(std::span<const Circuit> stages, std::string_view name,
                          const std::vector<std::string>& comment_lines) {
    return subcircuit(stages, name, comment_lines, nullptr);
}

std::string spice_cascade(std::span<const Circuit> stages, std::string_view name,
                          const std::vector<std::string>& comment_lines, const PartModel& model) {
    return subcircuit(stages, name, comment_lines, &model);
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
