#!/bin/sh
# Builds Wordloom with its tests and runs them: a Release build, a build under AddressSanitizer
# and UndefinedBehaviorSanitizer, and a short libFuzzer run over the readers and the matcher.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
"$top/tools/install-deps.sh"

echo "== Release build and tests"
cmake -S "$top" -B "$top/build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$top/build" -j"$jobs"
ctest --test-dir "$top/build" --output-on-failure -j"$jobs"

echo "== AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S "$top" -B "$top/build-asan" -DCMAKE_BUILD_TYPE=Debug -DWORDLOOM_SANITIZE=ON \
    -DWORDLOOM_BUILD_BENCH=OFF >/dev/null
cmake --build "$top/build-asan" -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    LSAN_OPTIONS=suppressions="$top/tests/sanitizers/lsan.supp" \
    ctest --test-dir "$top/build-asan" --output-on-failure -j"$jobs"

echo "== Fuzzing"
CC=clang CXX=clang++ cmake -S "$top" -B "$top/build-fuzz" -DCMAKE_BUILD_TYPE=Debug \
    -DWORDLOOM_FUZZ=ON -DWORDLOOM_BUILD_GUI=OFF -DWORDLOOM_BUILD_BENCH=OFF >/dev/null
cmake --build "$top/build-fuzz" -j"$jobs" --target fuzz_targets
"$top/tests/fuzz/run_fuzz.sh" "$top/build-fuzz" 30
