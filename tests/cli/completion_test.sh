#!/bin/bash
# Sources the bash completion of wordloom-unscramble and checks what it offers: the options the
# tool's --help lists (no more, no fewer), the values of --format, and file names after -d/-f.
#   completion_test.sh COMPLETION_FILE TOOL
set -u
completion=$1
tool=$2
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# shellcheck source=/dev/null
source "$completion" || { echo "FAIL: cannot source $completion" >&2; exit 1; }
[[ $(complete -p wordloom-unscramble 2>/dev/null) == *_wordloom_unscramble* ]] ||
    fail "no completion is registered for wordloom-unscramble"

# The candidates for the last word of a command line, sorted, one line.
offered() {
    COMP_WORDS=(wordloom-unscramble "$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE="${COMP_WORDS[*]}"
    COMP_POINT=${#COMP_LINE}
    COMPREPLY=()
    _wordloom_unscramble wordloom-unscramble "${COMP_WORDS[COMP_CWORD]}" \
        "${COMP_WORDS[COMP_CWORD - 1]}"
    ((${#COMPREPLY[@]} == 0)) || printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' '
}
expect() {
    local want=$1
    shift
    local got
    got=$(offered "$@")
    [[ $got == "$want" ]] || fail "after '$*': expected '$want', got '$got'"
}

# The option names of the help, in the same form.
help=$("$tool" --help) || fail "$tool --help failed"
long=$(grep -oE '^ +(-[A-Za-z], )?--[a-z-]+' <<<"$help" | grep -oE -- '--[a-z-]+' | sort |
    tr '\n' ' ')
all=$(grep -oE '^ +(-[A-Za-z], )?--[a-z-]+' <<<"$help" | grep -oE -- '-[A-Za-z]\b|--[a-z-]+' |
    sort | tr '\n' ' ')
[[ $long == *--format* && $all == *-V* ]] || fail "cannot read the options from the help"
expect "$long" --
expect "$all" -
expect "--dictionary " --dic
expect "aligned tsv words " --format ''
expect "tsv " -l 3 --format t
expect "aligned tsv words " --format =
expect "tsv " --format = t
expect "" -l ''
expect "" -j ''
expect "" -a -c ''
expect "" -a --max-words ''
expect "" -a -n ''
expect "" -a -x ''
expect "best found " --order ''
expect "--min-words " -a --min
expect "--max-words " -a --max
expect "" tca ''
expect "" -- -

# File names after -d and -f, blanks and all; "=" forms included.
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
cd "$folder" || exit 1
mkdir albums
touch alpha.dic 'al pha.txt' beta.txt
expect "al pha.txt albums alpha.dic " -d al
expect "al pha.txt albums alpha.dic " --dictionary = al
expect "al pha.txt albums alpha.dic " -f al
expect "beta.txt " tca --file b
expect "" -d zz

if ((failures > 0)); then
    exit 1
fi
echo "completion test passed"
