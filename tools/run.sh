#!/bin/sh
# Builds Wordloom and starts the window with the bundled dictionary.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/install-deps.sh"
cmake -S "$top" -B "$top/build" -DCMAKE_BUILD_TYPE=Release -DWORDLOOM_BUILD_TESTS=OFF \
    -DWORDLOOM_BUILD_BENCH=OFF >/dev/null
cmake --build "$top/build" -j"$(nproc)" --target wordloom wordloom-unscramble
exec "$top/build/bin/wordloom"
