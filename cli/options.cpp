#include "options.h"

#include "design/cascade.h"
#include "design/network.h"
#include "design/part_model.h"
#include "design/preferred.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>

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
        {"--load", "matched|open|short|S:1|all",
         "the load on the far port for the power figures: matched, open,\n"
         "short, a VSWR such as 3:1 at each figure's worst phase, or all:\n"
         "matched, open and short side by side",
         for_both, false, Completes::choices, nullptr, &T::load},
        {"--max-voltage", "V",
         "name each resistor that would have more than V volts RMS across\nit (50, 50V)", for_both,
         false, Completes::nothing, nullptr, &T::max_voltage},
        {"--ambient", "T",
         "derate the rating for an ambient of T degrees Celsius (85, 85C),\n"
         "linearly from the knee to the limit of --derate",
         for_both, false, Completes::nothing, nullptr, &T::ambient},
        {"--derate", "KNEE:LIMIT",
         "the rating holds in full up to KNEE and falls to nothing at\n"
         "LIMIT, in degrees Celsius (70:155)",
         for_both, false, Completes::nothing, nullptr, &T::derate},
        {"--stages", "N|auto",
         "the cascade's stages, 1 to 10, or auto: the fewest whose parts\n"
         "stay within --rating with --power fed inward",
         for_cascade, false, Completes::choices, nullptr, &T::stages},
        {"--split", "dissipation|equal",
         "share the loss so that each stage dissipates the same power (the\n"
         "default), or give each stage the same loss",
         for_cascade, false, Completes::choices, nullptr, &T::split},
        {"--spice", "", "write a SPICE subcircuit in place of the table", for_design, true,
         Completes::nothing, [](Settings& s) { s.format = Format::spice; }, nullptr},
        {"--name", "NAME", "the subcircuit's name", for_design, false, Completes::nothing, nullptr,
         &T::name},
        {"--nearest", "", "export the nearest build rather than the best", for_design, false,
         Completes::nothing, [](Settings& s) { s.nearest = true; }, nullptr},
        {"--touchstone", "FILE",
         "write the S-parameters to a Touchstone 2.0 file (- for\nstandard output)", for_design,
         false, Completes::files, nullptr, &T::touchstone},
        {"--freq", "FROM:TO:POINTS",
         "the response at POINTS frequencies from FROM to TO on a log\n"
         "scale, in every output, and the Touchstone file's (1MHz:1GHz:11)",
         for_both, false, Completes::nothing, nullptr, &T::freq},
        {"--ls", "L",
         "each resistor's inductance in series, in henries (0.4nH): with\n"
         "--cp and --cg, the parts at radio frequencies",
         for_both, false, Completes::nothing, nullptr, &T::ls},
        {"--cp", "C", "the capacitance across each resistor, in farads (0.05pF)", for_both, false,
         Completes::nothing, nullptr, &T::cp},
        {"--cg", "C", "the capacitance from each end of each resistor to ground\n(0.1pF)", for_both,
         false, Completes::nothing, nullptr, &T::cg},
        {"--package", "SIZE",
         "the published Ls and Cp of a thin film chip resistor: 0201,\n"
         "0402 or 0603; --ls, --cp and --cg override them",
         for_both, false, Completes::packages, nullptr, &T::package},
        {"--flat", "DB", "where the pad holds, its loss within DB of its value at DC\n(0.1dB)",
         for_both, false, Completes::nothing, nullptr, &T::flat},
        {"--match", "DB", "where the pad holds, each return loss at least DB (20dB)", for_both,
         false, Completes::nothing, nullptr, &T::match},
        {"--compare", "",
         "how far up each network that can make these entries holds\n"
         "with the same parts, the best first",
         for_both, false, Completes::nothing, [](Settings& s) { s.compare = true; }, nullptr},
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
    constexpr std::size_t column = 22;
    std::string text;
    auto line = [&text](std::string head, std::string_view help) {
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
            bool differ = std::tolower(static_cast<unsigned char>(a[i - 1])) !=
                          std::tolower(static_cast<unsigned char>(b[j - 1]));
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + differ});
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

// The lower-case words of an option's value: "matched|open|S:1" gives
// matched and open.
std::vector<std::string_view> choices(std::string_view value) {
    std::vector<std::string_view> words;
    while (!value.empty()) {
        std::string_view word = value.substr(0, value.find('|'));
        value.remove_prefix(std::min(value.size(), word.size() + 1));
        if (std::all_of(word.begin(), word.end(), [](char c) { return c >= 'a' && c <= 'z'; }))
            words.push_back(word);
    }
    return words;
}

// A case of the shell's for each option whose value is one of its choices.
std::string choice_cases() {
    std::string text;
    for (const Option& o : options())
        if (o.completes == Completes::choices)
            text += "            " + std::string(o.name) +
                    ")\n                mapfile -t COMPREPLY < <(compgen -W '" +
                    words(choices(o.value)) + "' -- \"$cur\")\n                ;;\n";
    return text;
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
    std::vector<std::string_view> cascade_list;
    for (const NetworkInfo& n : networks()) {
        networks_list.push_back(n.id);
        if (can_cascade(&n))
            cascade_list.push_back(n.id);
    }
    std::vector<std::string_view> series_list;
    for (Series s : all_series)
        series_list.push_back(series_name(s));
    std::vector<std::string_view> package_list;
    for (const Package& p : packages())
        package_list.push_back(p.size);
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
#   padcalc check <TAB>          the networks; after cascade, those it takes
#   padcalc tee 50 75 10 --<TAB> the options that command takes
#   --series <TAB>               the preferred series; --touchstone <TAB>: file names;
#   --load <TAB>                 the words an option's value may be
#   --package <TAB>              the chip sizes

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
            mapfile -t COMPREPLY < <(compgen -W "$networks check cascade" -- "$cur")
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
        cascade)
            options=)" +
           list(option_names(cascade_options, false)) + R"(
            with_value=)" +
           list(option_names(cascade_options, true)) + R"(
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
        case $prev in
)" + choice_cases() +
           R"(        esac
        case " )" +
           words(names_completing(Completes::series)) + R"( " in
            *" $prev "*)
                mapfile -t COMPREPLY < <(compgen -W )" +
           list(series_list) + R"( -- "$cur")
                return
                ;;
        esac
        case " )" +
           words(names_completing(Completes::packages)) + R"( " in
            *" $prev "*)
                mapfile -t COMPREPLY < <(compgen -W )" +
           list(package_list) + R"( -- "$cur")
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
    elif [[ $command == cascade ]] && ((arguments == 0)); then
        mapfile -t COMPREPLY < <(compgen -W )" +
           list(cascade_list) + R"( -- "$cur")
    fi
} &&
    complete -F _padcalc padcalc

# ex: filetype=sh
)";
}

} // namespace padcalc
