#!/usr/bin/env bash
# The bash completion, sourced into this shell and asked as bash asks it: the
# words of a command line and the word under the cursor, then COMPREPLY.
# Also checks its lists of options against the program's own --help, so that
# an option added to the program and not to the completion is caught. The
# networks and options it expects are the program's own, from its --help,
# so that a network or option added to a table is tested here as it is.
#
#   bash tests/completion_test.sh COMPLETION_FILE PADCALC
set -u

completion=$1
padcalc=$2
failures=0

# shellcheck source=/dev/null
source "$completion" || { echo "cannot source $completion"; exit 1; }
[[ $(complete -p padcalc 2>/dev/null) == *'-F _padcalc'* ]] ||
    { echo "sourcing $completion does not register _padcalc for padcalc"; exit 1; }

# complete LINE: sets COMPREPLY for the cursor at the end of LINE, split into
# words as bash splits them (a trailing space starts a new, empty word).
complete_line() {
    local line=$1
    read -r -a COMP_WORDS <<<"$line"
    [[ $line == *' ' ]] && COMP_WORDS+=('')
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE=$line
    COMP_POINT=${#line}
    COMPREPLY=()
    _padcalc padcalc "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
}

sorted() { printf '%s\n' "$@" | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//'; }

# expect LINE WORD...: completing LINE offers exactly these words, in any order.
expect() {
    local line=$1
    shift
    complete_line "$line"
    local got want
    got=$(sorted "${COMPREPLY[@]}")
    want=$(sorted "$@")
    if [[ $got != "$want" ]]; then
        echo "FAIL: '$line<TAB>'"
        echo "  expected: $want"
        echo "  got:      $got"
        failures=$((failures + 1))
    fi
}

# expect_starting LINE WORD...: completing LINE offers those of the WORDs that
# start with LINE's last word.
expect_starting() {
    local line=$1 word wanted=()
    shift
    for word; do
        [[ $word == "${line##* }"* ]] && wanted+=("$word")
    done
    expect "$line" "${wanted[@]}"
}

# but EXCLUDED WORD...: the WORDs, one a line, but those in EXCLUDED.
but() {
    local excluded=" $1 " word
    shift
    for word; do
        [[ $excluded == *" $word "* ]] || printf '%s\n' "$word"
    done
}

# The program's own lists: the networks check takes and those cascade takes,
# as their --help names them; each command's options, and the output formats,
# each of which excludes the others.
help_networks() { "$padcalc" "$1" --help | sed -n 's/^  NETWORK [A-Z ]*  *//p' | sed 's/,\| or / /g'; }
help_options() { "$padcalc" "$@" --help | sed -n 's/^  \(--[a-z-]*\).*/\1/p'; }
read -r -a networks < <(help_networks check)
read -r -a cascaded < <(help_networks cascade)
mapfile -t design_options < <(help_options tee)
mapfile -t check_options < <(help_options check)
mapfile -t cascade_options < <(help_options cascade)
mapfile -t formats < <("$padcalc" tee --help | sed -n 's/^  \(--[a-z-]*\) Excludes:.*/\1/p')
if ((${#networks[@]} < 2 || ${#cascaded[@]} < 2 || ${#design_options[@]} < 2 ||
    ${#check_options[@]} < 2 || ${#cascade_options[@]} < 2 || ${#formats[@]} < 2)); then
    echo "cannot read the networks, options and formats from the program's --help"
    exit 1
fi
series=(E3 E6 E12 E24 E48 E96 E192)

# The first word: the commands, or the two options that stand alone.
for start in t l p min c; do
    expect_starting "padcalc $start" "${networks[@]}" check cascade
done
expect 'padcalc ' "${networks[@]}" check cascade
expect 'padcalc --' --help --version --completion
expect 'padcalc x' # an unknown word has no completion

# check: a network first, then numbers.
expect 'padcalc check ' "${networks[@]}"
expect_starting 'padcalc check b' "${networks[@]}"
expect 'padcalc check --json ' "${networks[@]}"
expect 'padcalc check pi '
expect 'padcalc check pi 50 50 96.25 '

# Each command's options, and only those.
expect 'padcalc tee 50 75 10 --se' --series
expect_starting 'padcalc tee 50 75 10 --p' "${design_options[@]}"
expect 'padcalc check pi 50 50 96.25 96.25 71.15 --' "${check_options[@]}"
expect_starting 'padcalc check pi 50 50 1 2 3 --s' "${check_options[@]}"
expect_starting 'padcalc min-loss 600 150 --n' "${design_options[@]}"
# Not an option already given, nor a second output format.
mapfile -t left < <(but "${formats[*]}" "${design_options[@]}")
expect 'padcalc tee 50 75 10 --json --' "${left[@]}"
expect 'padcalc pi 50 50 10 --spice --ascii --s' --series
expect 'padcalc --version --'
expect 'padcalc tee --help --'

# Option values: the preferred series, file names, and no words for numbers.
expect 'padcalc tee 50 75 10 --series ' "${series[@]}"
expect 'padcalc tee 50 75 10 --series E1' E12 E192
expect 'padcalc tee 50 75 10 --power '
expect 'padcalc tee 50 75 10 --tolerance '
expect 'padcalc tee 50 75 10 --freq '
expect 'padcalc tee 50 75 10 --package ' 0201 0402 0603
expect 'padcalc check pi 50 50 1 2 3 --package 04' 0402
expect 'padcalc tee 50 75 10 --cp '
expect 'padcalc check pi 50 50 1 2 3 --series ' # not an option of check
expect 'padcalc tee 50 75 10 '
# Values that are one of a few words.
expect 'padcalc tee 50 75 10 --power 1W --load ' matched open short all
expect 'padcalc check pi 50 50 1 2 3 --power 1W --load s' short
expect 'padcalc cascade tee 50 10 --split ' dissipation equal
expect 'padcalc cascade tee 50 10 --stages ' auto

# cascade: the networks matched at both ports, then numbers, then its own options too.
expect 'padcalc cascade ' "${cascaded[@]}"
expect_starting 'padcalc cascade --json p' "${cascaded[@]}"
expect 'padcalc cascade tee 50 '
expect_starting 'padcalc cascade tee 50 10 --s' "${cascade_options[@]}"
expect 'padcalc tee 50 75 10 --st' # the design commands have no stages
# --series=E2, split at the = as bash splits it, and whole.
COMP_WORDS=(padcalc pi 50 50 10 --series "=" E2) COMP_CWORD=7 COMPREPLY=()
_padcalc
[[ $(sorted "${COMPREPLY[@]}") == 'E24' ]] || { echo "FAIL: --series=E2 split at ="; failures=$((failures + 1)); }
expect 'padcalc pi 50 50 10 --series=E2' E24
# After an option's value the options come back, and the value is not an argument.
expect 'padcalc check --power 1W ' "${networks[@]}"
expect 'padcalc check --power 1W pi '
mapfile -t left < <(but "--series ${formats[*]}" "${design_options[@]}")
expect 'padcalc pi-bal 600 600 10 --series E24 --csv --' "${left[@]}"
expect_starting 'padcalc h 600 600 10 --series E24 --n' "${left[@]}"

# --touchstone: the files and folders here.
scratch=$(mktemp -d) || exit 1
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/sims"
touch "$scratch/pad.s2p" "$scratch/other.txt"
(
    cd "$scratch" || exit 1
    expect 'padcalc tee 50 75 10 --touchstone ' other.txt pad.s2p sims
    expect 'padcalc tee 50 75 10 --touchstone p' pad.s2p
    exit "$failures"
)
failures=$((failures + $?))

# The completion's options are the program's: each command's --help lists them.
for command in "${networks[@]}" check cascade; do
    if [[ $command == check ]]; then
        line="padcalc check pi 50 50 1 2 3 --"
    elif [[ $command == cascade ]]; then
        line="padcalc cascade tee 50 10 --"
    else
        line="padcalc $command 1 1 1 --"
    fi
    complete_line "$line"
    mapfile -t listed < <(help_options "$command")
    program=$(sorted "${listed[@]}")
    completion_options=$(sorted "${COMPREPLY[@]}")
    if [[ -z $program || $program != "$completion_options" ]]; then
        echo "FAIL: $command's options differ from 'padcalc $command --help'"
        echo "  padcalc:    $program"
        echo "  completion: $completion_options"
        failures=$((failures + 1))
    fi
done
# The networks check takes are all the program knows: each a command of its own.
for network in "${networks[@]}"; do
    "$padcalc" "$network" --help >/dev/null 2>&1 ||
        { echo "FAIL: '$network' from 'padcalc check --help' is not a command"; failures=$((failures + 1)); }
done

((failures == 0)) && echo "all completions as expected"
exit $((failures > 0))
