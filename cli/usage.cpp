#include "usage.h"

#include "arguments.h"
#include "design/cascade.h"
#include "design/network.h"

#include <algorithm>
#include <string>
#include <vector>

namespace padcalc {
namespace {

// The networks' names, each command's entries, and what each network takes to check.
std::string command_lines() {
    std::string fixed;
    std::string equal;
    std::string least;
    std::string resistors;
    for (const NetworkInfo& n : networks()) {
        std::string& list = n.min_loss ? least : n.equal_impedances ? equal : fixed;
        list += (list.empty() ? "" : ", ") + std::string(n.id);
    }
    return "Usage: padcalc\n"
           "       padcalc NETWORK Z1 Z2 LOSS [options]   NETWORK: " +
           fixed +
           "\n"
           "       padcalc NETWORK Z LOSS [options]       NETWORK: " +
           equal +
           "\n"
           "       padcalc NETWORK Z1 Z2 [options]        NETWORK: " +
           least +
           "\n"
           "       padcalc check NETWORK Z1 Z2 R... [options]\n"
           "       padcalc cascade NETWORK Z LOSS --stages N|auto [options]\n"
           "                                              NETWORK: " +
           cascadable() +
           "\n"
           "       padcalc --help | --version | --completion\n";
}

// The options that check takes, as a list in words.
std::string check_options() {
    std::vector<std::string_view> names;
    for (const Option& o : options())
        if (o.commands & for_check)
            names.push_back(o.name);
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i)
        text += std::string(i == 0                  ? ""
                            : i + 1 == names.size() ? " and "
                                                    : ", ") +
                std::string(names[i]);
    return text;
}

} // namespace

std::string cascadable() {
    std::string list;
    for (const NetworkInfo& n : networks())
        if (can_cascade(&n))
            list += (list.empty() ? "" : ", ") + std::string(n.id);
    return list;
}

std::string networks_help(std::span<const NetworkInfo> table) {
    auto names_of = [](const NetworkInfo& n) {
        std::string names;
        for (const ResistorRole& r : n.resistors)
            names += (names.empty() ? "" : " ") + std::string(r.name);
        return names;
    };
    std::size_t names_width = 0;
    for (const NetworkInfo& n : table)
        names_width = std::max(names_width, names_of(n).size());
    auto column = [](const std::string& text, std::size_t width) {
        return text + std::string(width + 2 - text.size(), ' ');
    };
    std::string text;
    for (const NetworkInfo& n : table)
        text += "  " + column(std::string(n.id), longest_id(table)) +
                column(names_of(n), names_width) + std::string(n.title) + "\n";
    return text;
}

std::string network_names() {
    std::string names;
    for (const NetworkInfo& n : networks())
        names += (names.empty() ? "" : ", ") + std::string(n.id);
    return names;
}

std::string usage(std::string_view menu_keys) {
    return command_lines() +
           "\n"
           "Computes the resistors of attenuators and impedance-matching pads.\n"
           "\n"
           "With no arguments it shows a menu: press a key to choose a network, then\n"
           "type the impedances in ohms and the loss in dB, each ended with ENTER.\n"
           "\n" +
           std::string(menu_keys) +
           "\n"
           "With arguments it designs one network and writes its resistors, designs a\n"
           "cascade of pads sharing a loss, or checks a network built from given\n"
           "resistors between a source Z1 and a load Z2, the resistors in the\n"
           "network's order:\n" +
           networks_help(networks()) +
           "Numbers may be written 50, 1e3, 4k7, 2R2, 2.2M, 100m, 50ohm or 10dB; LOSS\n"
           "may be a sweep FROM:TO:STEP, such as 1:20:0.5.\n"
           "\n"
           "Options (check takes " +
           check_options() + "; --stages and --split are cascade's own):\n" +
           options_help(for_both | for_cascade) +
           "\n"
           "Exit status: 0 for designs that can be built, 1 when one cannot be built,\n"
           "a part is over a rating, or output cannot be written; 2 for a usage\n"
           "error.\n"
           "See padcalc(1) for the networks, the console and examples.\n";
}

// What each entry of a design is, for the command's --help.
std::string entry_help(std::string_view entry) {
    if (entry == "Z")
        return "the impedance on both sides, in ohms";
    if (entry == "Z1")
        return "the inward impedance, in ohms";
    if (entry == "Z2")
        return "the outward impedance, in ohms";
    return "the loss in dB, or a sweep FROM:TO:STEP";
}

} // namespace padcalc
