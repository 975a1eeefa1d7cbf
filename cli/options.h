// The command line's options, each described once: the table gives CLI11
// its definitions, --help its lines and the bash completion its lists.
#pragma once

#include "design/settings.h"

#include <string>
#include <string_view>
#include <vector>

namespace CLI {
class App;
}

namespace padcalc {

// Which commands take an option. The cascade command takes the design
// commands' options and its own.
enum Commands : unsigned { for_design = 1, for_check = 2, for_both = 3, for_cascade = 4 };
constexpr auto cascade_options = static_cast<Commands>(for_design | for_cascade);

// What the completion offers for an option's value: the lower-case words
// of `choices` are those of its value between bars ("matched|open|..."),
// `packages` the chip sizes.
enum class Completes { nothing, series, files, choices, packages };

struct Option {
    std::string_view name;  // "--series"
    std::string_view value; // "E3..E192"; empty for a flag
    std::string_view help;  // its lines in --help, the first beside the name
    unsigned commands;
    bool format; // one of the output formats, of which one may be given
    Completes completes;
    void (*set)(Settings&);         // a flag's effect
    std::string OptionTexts::*text; // where a value's text is kept
};

const std::vector<Option>& options();

// Defines the options that `command` takes on the CLI11 app.
void add_options(CLI::App& app, Commands command, Settings& s, OptionTexts& t);

// The options' part of --help: a line for each, its value after its name.
std::string options_help(unsigned commands);

// The name among `names` nearest to `word` by spelling, or empty when none
// is near enough to be what was meant.
std::string_view nearest_name(std::string_view word, const std::vector<std::string_view>& names);

// The bash completion script: the commands, the networks, each command's
// options and the values that some of them take.
std::string bash_completion();

} // namespace padcalc
