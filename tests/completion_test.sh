#!/usr/bin/env bash
# The bash completion, sourced into this shell and asked as bash asks it: the
# words of a command line and the word under the cursor, then COMPREPLY.
# Also checks its lists of options against the program's own --help, so that
# an option added to the program and not to the completion is caught.
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

networks=(tee h pi pi-bal bridged-tee min-loss min-loss-bal l-pad u-pad)
series=(E3 E6 E12 E24 E48 E96 E192)

# The first word: the commands, or the two options that stand alone.
expect 'padcalc t' tee
expect 'padcalc l' l-pad
expect 'padcalc p' pi pi-bal
expect 'padcalc min' min-loss min-loss-bal
expect 'padcalc ' "${networks[@]}" check cascade
expect 'padcalc c' check cascade
expect 'padcalc --' --help --version --completion
expect 'padcalc x' # an unknown word has no completion

# check: a network first, then numbers.
expect 'padcalc check ' "${networks[@]}"
expect 'padcalc check b' bridged-tee
expect 'padcalc check --json ' "${networks[@]}"
expect 'padcalc check pi '
expect 'padcalc check pi 50 50 96.25 '

# Each command's options, and only those.
expect 'padcalc tee 50 75 10 --se' --series
expect 'padcalc tee 50 75 10 --p' --pairs --power --package
expect 'padcalc check pi 50 50 96.25 96.25 71.15 --' --help --json --csv --ascii --power --rating \
    --load --max-voltage --ambient --derate --freq --ls --cp --cg --package --flat --match --compare
expect 'padcalc check pi 50 50 1 2 3 --s' # check builds nothing and exports nothing
expect 'padcalc min-loss 600 150 --n' --name --nearest
# Not an option already given, nor a second output format.
expect 'padcalc tee 50 75 10 --json --' --help --ascii --series --pairs --tolerance --power \
    --rating --load --max-voltage --ambient --derate --name --nearest --touchstone --freq \
    --ls --cp --cg --package --flat --match --compare
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
expect 'padcalc cascade ' tee h pi pi-bal bridged-tee
expect 'padcalc cascade --json p' pi pi-bal
expect 'padcalc cascade tee 50 '
expect 'padcalc cascade tee 50 10 --s' --series --stages --split --spice
expect 'padcalc tee 50 75 10 --st' # the design commands have no stages
# --series=E2, split at the = as bash splits it, and whole.
COMP_WORDS=(padcalc pi 50 50 10 --series "=" E2) COMP_CWORD=7 COMPREPLY=()
_padcalc
[[ $(sorted "${COMPREPLY[@]}") == 'E24' ]] || { echo "FAIL: --series=E2 split at ="; failures=$((failures + 1)); }
expect 'padcalc pi 50 50 10 --series=E2' E24
# After an option's value the options come back, and the value is not an argument.
expect 'padcalc check --power 1W ' "${networks[@]}"
expect 'padcalc check --power 1W pi '
expect 'padcalc pi-bal 600 600 10 --series E24 --csv --' --help --ascii --pairs --tolerance --power \
    --rating --load --max-voltage --ambient --derate --name --nearest --touchstone --freq \
    --ls --cp --cg --package --flat --match --compare
expect 'padcalc h 600 600 10 --series E24 --n' --name --nearest

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
help_options() { "$padcalc" "$@" --help | sed -n 's/^  \(--[a-z-]*\).*/\1/p'; }
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
# The networks check takes are those its --help names.
read -r -a listed < <("$padcalc" check --help | sed -n 's/^  NETWORK [A-Z ]*  *//p' | sed 's/,\| or / /g')
if [[ $(sorted "${listed[@]}") != "$(sorted "${networks[@]}")" ]]; then
    echo "FAIL: the networks differ from 'padcalc check --help': ${listed[*]}"
    failures=$((failures + 1))
fi

((failures == 0)) && echo "all completions as expected"
exit $((failures > 0))
