#!/bin/sh
# Runs every libFuzzer target for the given number of seconds, starting from the seed corpus.
# Usage: run_fuzz.sh [BUILD_DIR] DURATION_SECONDS
#   BUILD_DIR defaults to build-fuzz at the top of the source tree (configure it with
#   CC=clang CXX=clang++ -DWORDLOOM_FUZZ=ON and build the target fuzz_targets).
# New inputs go to a scratch folder, so the checked-in seeds stay as they are; a failing input
# is kept in BUILD_DIR/fuzz-artifacts and the script exits with the fuzzer's status.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
if [ $# -eq 2 ]; then
    build=$1
    shift
elif [ $# -eq 1 ]; then
    build=$here/../../build-fuzz
else
    echo "Usage: $0 [BUILD_DIR] DURATION_SECONDS" >&2
    exit 2
fi
duration=$1
artifacts=$build/fuzz-artifacts
mkdir -p "$artifacts"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

for target in dictionary keyed_search letter_file; do
    program=$build/bin/fuzz_$target
    if [ ! -x "$program" ]; then
        echo "$program is missing: build the target fuzz_targets in $build first." >&2
        exit 1
    fi
    echo "== fuzz_$target for $duration s"
    mkdir -p "$scratch/$target"
    "$program" -max_total_time="$duration" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$artifacts/$target-" "$scratch/$target" "$here/corpus/$target"
done
