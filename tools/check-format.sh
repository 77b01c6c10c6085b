#!/bin/sh
# Checks that every C++ file of the tree is formatted as .clang-format says; lists the files that
# are not and exits 1 if there are any. To format them:
#   git ls-files '*.cpp' '*.h' | xargs clang-format -i
# CLANG_FORMAT names another clang-format (the layout it gives can change between versions; CI
# uses Debian 12's, version 14).
set -eu
cd "$(dirname "$0")/.."
format=${CLANG_FORMAT:-clang-format}
command -v "$format" >/dev/null || {
    echo "check-format.sh: $format is not installed (Debian package clang-format)" >&2
    exit 2
}

# clang-format names each file that would change in a warning "FILE:LINE:COL: error: ...".
report=$(mktemp)
trap 'rm -f "$report"' EXIT
status=0
git ls-files '*.cpp' '*.h' |
    xargs -n 32 -P "$(nproc)" "$format" --style=file --dry-run --Werror >/dev/null 2>"$report" ||
    status=$?
unformatted=$(sed -n 's/^\([^/:][^:]*\):[0-9]*:[0-9]*: error: .*/\1/p' "$report" | sort -u)
if [ "$status" -ne 0 ] && [ -z "$unformatted" ]; then
    cat "$report" >&2
    echo "check-format.sh: $format failed" >&2
    exit 2
fi
if [ -n "$unformatted" ]; then
    echo "These files differ from .clang-format (clang-format -i FILE fixes one):"
    echo "$unformatted" | sed 's/^/  /'
    exit 1
fi
echo "check-format.sh: every file is formatted"
