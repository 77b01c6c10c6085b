#!/bin/sh
# Builds Wordloom with its tests and runs them, as CI does: a Release build with warnings as
# errors, the static checks, a build under AddressSanitizer and UndefinedBehaviorSanitizer, a
# short libFuzzer run over the readers and the matchers, and the engine, the batch tool and their
# tests cross-built for arm64 and run under qemu-user.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
jobs=$(nproc)
"$top/tools/install-deps.sh"

echo "== Release build and tests (warnings as errors)"
cmake --preset release -DWORDLOOM_WERROR=ON >/dev/null
cmake --build --preset release -j"$jobs"
ctest --preset release -j"$jobs"

echo "== Formatting (.clang-format)"
"$top/tools/check-format.sh"

echo "== clang-tidy over the files of the last commit"
# The whole tree takes long on two cores: tools/check-tidy.sh without an argument checks it.
if git rev-parse --verify --quiet HEAD~1 >/dev/null; then
    "$top/tools/check-tidy.sh" HEAD~1
else
    echo "no previous commit to compare with (shallow clone?): skipped"
fi

echo "== AddressSanitizer and UndefinedBehaviorSanitizer"
cmake --preset sanitizers -DWORDLOOM_WERROR=ON >/dev/null
cmake --build --preset sanitizers -j"$jobs"
ctest --preset sanitizers -j"$jobs"

echo "== Fuzzing"
CC=clang CXX=clang++ cmake -S "$top" -B "$top/build-fuzz" -DCMAKE_BUILD_TYPE=Debug \
    -DWORDLOOM_FUZZ=ON -DWORDLOOM_BUILD_GUI=OFF -DWORDLOOM_BUILD_BENCH=OFF \
    -DWORDLOOM_WERROR=ON >/dev/null
cmake --build "$top/build-fuzz" -j"$jobs" --target fuzz_targets
"$top/tests/fuzz/run_fuzz.sh" "$top/build-fuzz" 20

echo "== arm64 (cross-built, tests under qemu-user)"
"$top/tools/check-arm64.sh" "$top/build-arm64"
