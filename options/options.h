// The options, each described once. The one table gives the command line
// its parser, --help and completion, the page its fields, and the tests
// the list the manual must name; the options are read in one order, which
// the command line and the page both run.
#pragma once

#include "design/expected.h"
#include "design/settings.h"

#include <functional>
#include <map>
#include <span>
#include <string>
#include <string_view>

namespace padcalc {

// Which commands take an option. The cascade command takes the design
// commands' options and its own.
enum Commands : unsigned { for_design = 1, for_check = 2, for_both = 3, for_cascade = 4 };
constexpr auto cascade_options = static_cast<Commands>(for_design | for_cascade);

// What the completion (and the page) offers for an option's value: the
// lower-case words of `choices` are those of its value between bars
// ("matched|open|..."), `packages` the chip sizes.
enum class Completes { nothing, series, files, choices, packages };

// Where the page shows an option's field; `none` for one it does not show.
enum class PageGroup { none, builds, power, radio };

struct Option {
    std::string_view name;       // "--series"
    std::string_view value = {}; // "E3..E192"; empty for a flag
    std::string_view help;       // its lines in --help, the first beside the name
    unsigned commands;
    std::string_view needs = {}; // the option without which this one does nothing
    bool format = false;         // one of the output formats, of which one may be given
    Completes completes = Completes::nothing;
    PageGroup group = PageGroup::none;
    std::string_view label = {};      // the page's label for its field
    void (*set)(Settings&) = nullptr; // a flag's effect
};

std::span<const Option> options();
// The option of this name ("--power"), or nullptr.
const Option* find_option(std::string_view name);

// The options given, each by its name, as the user typed them: a value's
// text, or for a flag "on". An option not given is absent.
class OptionTexts {
  public:
    bool given(std::string_view name) const { return texts_.find(name) != texts_.end(); }
    // The text typed; empty for an option not given.
    const std::string& text(std::string_view name) const;
    void give(std::string_view name, std::string text) {
        texts_[std::string(name)] = std::move(text);
    }

  private:
    std::map<std::string, std::string, std::less<>> texts_;
};

// The first option given without the one it needs ("--rating requires
// --power"), in the table's order.
Expected<> check_needs(const OptionTexts& t);

// Reads a command's request in the order the command line and the page
// both follow: an option given without the one it needs, then the
// command's entries (`read_entries`), then the options' values. The
// refusal names the option or entry at fault.
Expected<Settings> read_request(const OptionTexts& t,
                                const std::function<Expected<>()>& read_entries);

// The part of read_request that reads the options' values into `s`.
Expected<> read_options(const OptionTexts& t, Settings& s);

// The load, the voltage rating and the derating with temperature: the part
// of read_options that goes with --power.
Expected<> read_power_options(const OptionTexts& t, Settings& s);

} // namespace padcalc
