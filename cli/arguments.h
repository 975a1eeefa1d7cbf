// The command line's side of the options' table: CLI11's definitions,
// --help's lines and the bash completion's lists.
#pragma once

#include "options/options.h"

#include <map>

#include <string>
#include <string_view>
#include <vector>

namespace CLI {
class App;
}

namespace padcalc {

// Where the parser keeps the options' texts as it reads them.
using ParsedTexts = std::map<std::string, std::string, std::less<>>;

// Defines the options that `command` takes on the CLI11 app, their texts
// kept in `texts`.
void add_options(CLI::App& app, Commands command, ParsedTexts& texts);

// The options the parsed command line gave, each with its text ("on" for a flag).
OptionTexts given_options(const CLI::App& app, const ParsedTexts& texts);

// The options' part of --help: a line for each, its value after its name.
std::string options_help(unsigned commands);

// The name among `names` nearest to `word` by spelling, or empty when none
// is near enough to be what was meant.
std::string_view nearest_name(std::string_view word, const std::vector<std::string_view>& names);

// The bash completion script: the commands, the networks, each command's
// options and the values that some of them take.
std::string bash_completion();

} // namespace padcalc
