#include "arguments.h"

#include "design/cascade.h"
#include "design/network.h"
#include "design/part_model.h"
#include "design/preferred.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>

namespace padcalc {

void add_options(CLI::App& app, Commands command, ParsedTexts& texts) {
    std::vector<CLI::Option*> formats;
    for (const Option& o : options()) {
        if (!(o.commands & command))
            continue;
        std::string help(o.help);
        std::replace(help.begin(), help.end(), '\n', ' ');
        std::string name(o.name);
        // A flag has no text to keep: only whether it was given.
        CLI::Option* added = o.value.empty() ? app.add_flag(name)->description(help)
                                             : app.add_option(name, texts[name], help);
        if (!o.needs.empty())
            added->needs(app.get_option(std::string(o.needs)));
        if (o.format) {
            for (CLI::Option* other : formats)
                added->excludes(other);
            formats.push_back(added);
        }
    }
}

OptionTexts given_options(const CLI::App& app, const ParsedTexts& texts) {
    OptionTexts given;
    for (const Option& o : options()) {
        std::string name(o.name);
        if (!app.get_option_no_throw(name) || app.count(name) == 0)
            continue;
        auto text = texts.find(name);
        given.give(o.name, text == texts.end() ? "on" : text->second);
    }
    return given;
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

// The completion script, each @NAME@ filled in from the tables by
// bash_completion.
constexpr std::string_view completion_script =
    R"(# bash completion for padcalc                              -*- shell-script -*-
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

    local networks=@NETWORKS@
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
            options=@CHECK_OPTIONS@
            with_value=@CHECK_WITH_VALUE@
            ;;
        cascade)
            options=@CASCADE_OPTIONS@
            with_value=@CASCADE_WITH_VALUE@
            ;;
        @NETWORK_PATTERN@)
            options=@DESIGN_OPTIONS@
            with_value=@DESIGN_WITH_VALUE@
            ;;
        *) # --help, --version or an unknown command: nothing follows
            return
            ;;
    esac

    if [[ " $with_value " == *" $prev "* ]]; then
        case $prev in
@CHOICE_CASES@        esac
        case " @SERIES_OPTIONS@ " in
            *" $prev "*)
                mapfile -t COMPREPLY < <(compgen -W @SERIES@ -- "$cur")
                return
                ;;
        esac
        case " @PACKAGE_OPTIONS@ " in
            *" $prev "*)
                mapfile -t COMPREPLY < <(compgen -W @PACKAGES@ -- "$cur")
                return
                ;;
        esac
        case " @FILE_OPTIONS@ " in
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
            if [[ " @FORMATS@ " == *" $option "* ]]; then
                for format in @FORMATS@; do
                    [[ $given == *" $format "* ]] && continue 2
                done
            fi
            offered+="$option "
        done
        mapfile -t COMPREPLY < <(compgen -W "$offered" -- "$cur")
    elif [[ $command == check ]] && ((arguments == 0)); then
        mapfile -t COMPREPLY < <(compgen -W "$networks" -- "$cur")
    elif [[ $command == cascade ]] && ((arguments == 0)); then
        mapfile -t COMPREPLY < <(compgen -W @CASCADABLE@ -- "$cur")
    fi
} &&
    complete -F _padcalc padcalc

# ex: filetype=sh
)";

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
    const std::pair<std::string_view, std::string> fills[] = {
        {"@NETWORKS@", list(networks_list)},
        {"@CHECK_OPTIONS@", list(option_names(for_check, false))},
        {"@CHECK_WITH_VALUE@", list(option_names(for_check, true))},
        {"@CASCADE_OPTIONS@", list(option_names(cascade_options, false))},
        {"@CASCADE_WITH_VALUE@", list(option_names(cascade_options, true))},
        {"@NETWORK_PATTERN@", pipe_networks},
        {"@DESIGN_OPTIONS@", list(option_names(for_design, false))},
        {"@DESIGN_WITH_VALUE@", list(option_names(for_design, true))},
        {"@CHOICE_CASES@", choice_cases()},
        {"@SERIES_OPTIONS@", words(names_completing(Completes::series))},
        {"@SERIES@", list(series_list)},
        {"@PACKAGE_OPTIONS@", words(names_completing(Completes::packages))},
        {"@PACKAGES@", list(package_list)},
        {"@FILE_OPTIONS@", words(names_completing(Completes::files))},
        {"@FORMATS@", words(formats)},
        {"@CASCADABLE@", list(cascade_list)},
    };
    std::string script(completion_script);
    for (const auto& [mark, text] : fills)
        for (std::size_t at = script.find(mark); at != std::string::npos;
             at = script.find(mark, at + text.size()))
            script.replace(at, mark.size(), text);
    return script;
}

} // namespace padcalc
