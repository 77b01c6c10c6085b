#!/bin/sh
# Runs clang-tidy (checks in .clang-tidy) over the tree, or over the files changed since a
# revision, and lists its findings with a count per check and per folder; exits 1 if there are
# any. It needs a configured and built tree with compile_commands.json (the presets write one;
# otherwise configure with -DCMAKE_EXPORT_COMPILE_COMMANDS=ON).
#   check-tidy.sh            every C++ file of the tree
#   check-tidy.sh BASE       the C++ files changed since BASE (CI: HEAD~1, the last commit)
# WORDLOOM_TIDY_BUILD names the build folder (default: build); CLANG_TIDY another clang-tidy.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
build=${WORDLOOM_TIDY_BUILD:-build}
tidy=${CLANG_TIDY:-clang-tidy}
command -v "$tidy" >/dev/null || {
    echo "check-tidy.sh: $tidy is not installed (Debian package clang-tidy)" >&2
    exit 2
}
[ -f "$build/compile_commands.json" ] || {
    echo "check-tidy.sh: $build/compile_commands.json is missing; configure the build with" \
        "-DCMAKE_EXPORT_COMPILE_COMMANDS=ON (or a preset) and build it first" >&2
    exit 2
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The files whose findings count, relative to the top of the tree.
if [ $# -ge 1 ]; then
    git rev-parse --verify --quiet "$1^{commit}" >/dev/null || {
        echo "check-tidy.sh: '$1' is not a revision of this repository" >&2
        exit 2
    }
    git diff --name-only --diff-filter=d "$1" -- '*.cpp' '*.h' > "$work/files"
else
    git ls-files '*.cpp' '*.h' > "$work/files"
fi

# The translation units that show those files: the files themselves where they are compiled,
# and for a header every compiled file that includes it.
sed -n 's/^ *"file": "\(.*\)",*$/\1/p' "$build/compile_commands.json" |
    sed -n "s|^$top/||p" | sort -u > "$work/compiled"
{
    grep -Fx -f "$work/compiled" "$work/files" || true
    grep '\.h$' "$work/files" | while read -r header; do
        grep -l -F "#include \"$header\"" $(cat "$work/compiled") 2>/dev/null || true
    done
} | sort -u > "$work/units"

if [ ! -s "$work/units" ]; then
    echo "check-tidy.sh: no compiled file to check"
    exit 0
fi
echo "check-tidy.sh: $(wc -l < "$work/units") files to compile for $(wc -l < "$work/files") to check"

# Diagnostics of headers are repeated by every file that includes them: each is kept once, and
# only where it lies in a file being checked.
xargs -n 4 -P "$(nproc)" "$tidy" -p "$build" --quiet --header-filter="^$top/" \
    < "$work/units" > "$work/output" 2>/dev/null || true
# Paths through an include folder such as platform/.. are reduced first.
sed -e ':up' -e 's|/[^/.][^/]*/\.\./|/|' -e 't up' -e "s|^$top/||" "$work/output" |
    grep -E '^[^ /][^:]*:[0-9]+:[0-9]+: (warning|error): ' |
    awk -v files="$work/files" '
        BEGIN { while ((getline line < files) > 0) checked[line] = 1 }
        { split($0, at, ":"); if ((at[1] in checked) && !seen[$0]++) print }' > "$work/findings"

if [ ! -s "$work/findings" ]; then
    echo "check-tidy.sh: no findings"
    exit 0
fi
cat "$work/findings"
echo
echo "Findings per check:"
sed -n 's/.*\[\([^]]*\)\]$/\1/p' "$work/findings" | sort | uniq -c | sort -rn
echo "Findings per folder:"
sed 's|/[^/]*:[0-9]*:[0-9]*: .*||' "$work/findings" | sort | uniq -c | sort -rn
echo "check-tidy.sh: $(wc -l < "$work/findings") findings"
exit 1
