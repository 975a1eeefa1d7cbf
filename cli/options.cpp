#include "options.h"

#include "design/network.h"
#include "design/preferred.h"

#include <CLI/CLI.hpp>

#include <algorithm>

namespace padcalc {

const std::vector<Option>& options() {
    using T = OptionTexts;
    static const std::vector<Option> table = {
        {"--json", "", "write JSON: an object for each design, an array for a sweep", for_both,
         true, Completes::nothing, [](Settings& s) { s.format = Format::json; }, nullptr},
        {"--csv", "", "write CSV: a header line and a line for each design", for_both, true,
         Completes::nothing, [](Settings& s) { s.format = Format::csv; }, nullptr},
        {"--ascii", "", "write only ASCII, with 'ohm' for the ohm sign", for_both, false,
         Completes::nothing, [](Settings& s) { s.ascii = true; }, nullptr},
        {"--series", "E3..E192", "build from preferred values: nearest, and the best together",
         for_design, false, Completes::series, nullptr, &T::series},
        {"--pairs", "", "let a resistor be two preferred values in series or parallel", for_design,
         false, Completes::nothing, [](Settings& s) { s.pairs = true; }, nullptr},
        {"--tolerance", "PERCENT",
         "the builds' loss and return losses over the resistors' tolerance,\n"
         "at least 0 and below 100",
         for_design, false, Completes::nothing, nullptr, &T::tolerance},
        {"--power", "P",
         "the power in each resistor, P available from the source in watts\n"
         "or dBm (1W, 250mW, 30dBm), fed from either side",
         for_both, false, Completes::nothing, nullptr, &T::power},
        {"--rating", "R",
         "name each resistor that would dissipate more than R watts\n(0.25, 250mW, 1W)", for_both,
         false, Completes::nothing, nullptr, &T::rating},
        {"--spice", "", "write a SPICE subcircuit in place of the table", for_design, true,
         Completes::nothing, [](Settings& s) { s.format = Format::spice; }, nullptr},
        {"--name", "NAME", "the subcircuit's name", for_design, false, Completes::nothing, nullptr,
         &T::name},
        {"--nearest", "", "export the nearest build rather than the best", for_design, false,
         Completes::nothing, [](Settings& s) { s.nearest = true; }, nullptr},
        {"--touchstone", "FILE",
         "write the S-parameters to a Touchstone 2.0 file (- for\nstandard output)", for_design,
         false, Completes::files, nullptr, &T::touchstone},
        {"--freq", "START:STOP:POINTS",
         "the Touchstone file's frequencies (1MHz:1GHz:11, on a log\nscale)", for_design, false,
         Completes::nothing, nullptr, &T::freq},
    };
    return table;
}

void add_options(CLI::App& app, Commands command, Settings& s, OptionTexts& t) {
    std::vector<CLI::Option*> formats;
    for (const Option& o : options()) {
        if (!(o.commands & command))
            continue;
        std::string help(o.help);
        std::replace(help.begin(), help.end(), '\n', ' ');
        CLI::Option* added = nullptr;
        if (o.value.empty())
            added = app.add_flag_callback(
                std::string(o.name), [set = o.set, &s] { set(s); }, help);
        else
            added = app.add_option(std::string(o.name), t.*o.text, help);
        if (std::string_view needed = needed_option(o.name); !needed.empty())
            added->needs(app.get_option(std::string(needed)));
        if (o.format) {
            for (CLI::Option* other : formats)
                added->excludes(other);
            formats.push_back(added);
        }
    }
}

std::string options_help(unsigned commands) {
    const std::size_t column = 22;
    std::string text;
    auto line = [&text, column](std::string head, std::string_view help) {
        head = "  " + head;
        text += head.size() < column ? head + std::string(column - head.size(), ' ')
                                     : head + "\n" + std::string(column, ' ');
        for (char c : help)
            text += c == '\n' ? "\n" + std::string(column, ' ') : std::string(1, c);
        text += '\n';
    };
    line("--help", "show this help, or a command's with the command, and exit");
    line("--version", "show the version and exit");
    line("--completion", "write the bash completion script and exit");
    for (const Option& o : options())
        if (o.commands & commands)
            line(std::string(o.name) + (o.value.empty() ? "" : " " + std::string(o.value)), o.help);
    return text;
}

namespace {

// The edits (insertions, deletions, changes) that turn one word into another.
std::size_t edit_distance(std::string_view a, std::string_view b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = above;
        }
    }
    return row[b.size()];
}

std::string words(const std::vector<std::string_view>& list) {
    std::string text;
    for (std::string_view w : list)
        text += (text.empty() ? "" : " ") + std::string(w);
    return text;
}

std::vector<std::string_view> option_names(unsigned commands, bool with_value) {
    std::vector<std::string_view> names;
    if (!with_value)
        names.emplace_back("--help");
    for (const Option& o : options())
        if ((o.commands & commands) && (!with_value || !o.value.empty()))
            names.push_back(o.name);
    return names;
}

std::vector<std::string_view> names_completing(Completes kind) {
    std::vector<std::string_view> names;
    for (const Option& o : options())
        if (o.completes == kind)
            names.push_back(o.name);
    return names;
}

} // namespace

std::string_view nearest_name(std::string_view word, const std::vector<std::string_view>& names) {
    std::string_view best;
    std::size_t best_distance = std::max<std::size_t>(2, word.size() / 3) + 1;
    for (std::string_view name : names) {
        std::size_t d = edit_distance(word, name);
        if (d < best_distance) {
            best = name;
            best_distance = d;
        }
    }
    return best;
}

std::string bash_completion() {
    std::vector<std::string_view> networks_list;
    for (const NetworkInfo& n : networks())
        networks_list.push_back(n.id);
    std::vector<std::string_view> series_list;
    for (Series s : all_series)
        series_list.push_back(series_name(s));
    std::vector<std::string_view> formats;
    for (const Option& o : options())
        if (o.format)
            formats.push_back(o.name);
    std::string pipe_networks = words(networks_list);
    std::replace(pipe_networks.begin(), pipe_networks.end(), ' ', '|');
    auto list = [](const std::vector<std::string_view>& v) { return "'" + words(v) + "'"; };
    return R"(# bash completion for padcalc                              -*- shell-script -*-
#
# Written by `padcalc --completion` from the program's own tables, and
# installed where bash-completion looks for a command's completion. It needs
# nothing from bash-completion.
#
#   padcalc <TAB>                the commands
#   padcalc check <TAB>          the networks
#   padcalc tee 50 75 10 --<TAB> the options that command takes
#   --series <TAB>               the preferred series; --touchstone <TAB>: file names

_padcalc()
{
    local cur=${COMP_WORDS[COMP_CWORD]}
    local prev=
    ((COMP_CWORD > 0)) && prev=${COMP_WORDS[COMP_CWORD - 1]}

    # With = among the word breaks, --series=E2 arrives as three words.
    if [[ $cur == = ]]; then
        cur=
    elif [[ $prev == = ]] && ((COMP_CWORD > 1)); then
        prev=${COMP_WORDS[COMP_CWORD - 2]}
    elif [[ $cur == --*=* ]]; then
        prev=${cur%%=*}
        cur=${cur#*=}
    fi

    local networks=)" +
           list(networks_list) + R"(
    COMPREPLY=()

    if ((COMP_CWORD == 1)); then
        if [[ $cur == -* ]]; then
            mapfile -t COMPREPLY < <(compgen -W '--help --version --completion' -- "$cur")
        else
            mapfile -t COMPREPLY < <(compgen -W "$networks check" -- "$cur")
        fi
        return
    fi

    # The command's options, and of them those that take a value.
    local command=${COMP_WORDS[1]} options with_value
    case $command in
        check)
            options=)" +
           list(option_names(for_check, false)) + R"(
            with_value=)" +
           list(option_names(for_check, true)) + R"(
            ;;
        )" +
           pipe_networks +
           R"()
            options=)" +
           list(option_names(for_design, false)) + R"(
            with_value=)" +
           list(option_names(for_design, true)) + R"(
            ;;
        *) # --help, --version or an unknown command: nothing follows
            return
            ;;
    esac

    if [[ " $with_value " == *" $prev "* ]]; then
        case " )" +
           words(names_completing(Completes::series)) + R"( " in
            *" $prev "*)
                mapfile -t COMPREPLY < <(compgen -W )" +
           list(series_list) + R"( -- "$cur")
                return
                ;;
        esac
        case " )" +
           words(names_completing(Completes::files)) + R"( " in
            *" $prev "*)
                compopt -o filenames 2>/dev/null
                mapfile -t COMPREPLY < <(compgen -f -- "$cur")
                ;;
        esac
        return
    fi

    # The words typed so far: options given, and how many arguments precede this one.
    local i word given=' ' arguments=0 skip=
    for ((i = 2; i < COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        if [[ -n $skip ]]; then
            skip=
            [[ $word == = ]] && skip=value
            continue
        fi
        case $word in
            --*=*) given+="${word%%=*} " ;;
            --*)
                given+="$word "
                [[ " $with_value " == *" $word "* ]] && skip=value
                ;;
            =) ;;
            *) ((arguments++)) ;;
        esac
    done

    if [[ $cur == -* ]]; then
        [[ $given == *' --help '* ]] && return
        local option format offered=
        for option in $options; do
            [[ $given == *" $option "* ]] && continue
            # Only one output format.
            if [[ " )" +
           words(formats) + R"( " == *" $option "* ]]; then
                for format in )" +
           words(formats) + R"(; do
                    [[ $given == *" $format "* ]] && continue 2
                done
            fi
            offered+="$option "
        done
        mapfile -t COMPREPLY < <(compgen -W "$offered" -- "$cur")
    elif [[ $command == check ]] && ((arguments == 0)); then
        mapfile -t COMPREPLY < <(compgen -W "$networks" -- "$cur")
    fi
} &&
    complete -F _padcalc padcalc

# ex: filetype=sh
)";
}

} // namespace padcalc
