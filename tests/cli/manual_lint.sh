#!/bin/sh
# Renders a manual page with every checker at hand and fails on any warning:
# mandoc -T lint, and man --warnings (groff) at the usual 80 columns.
#   manual_lint.sh PAGE
set -u
page=$1
status=0
checked=
if command -v mandoc >/dev/null; then
    checked="$checked mandoc"
    output=$(mandoc -T lint -W warning "$page" 2>&1) || status=1
    [ -z "$output" ] || { echo "$output"; status=1; }
fi
if command -v man >/dev/null; then
    checked="$checked man"
    output=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null) || status=1
    [ -z "$output" ] || { echo "$output"; status=1; }
fi
[ -n "$checked" ] || { echo "neither mandoc nor man is installed"; exit 1; }
[ "$status" -eq 0 ] && echo "no warnings from$checked"
exit "$status"
