#!/bin/sh
# Cross-builds the engine, the batch tool and their tests for arm64 (Debian's second
# architecture) and runs them under qemu-user, so that the portable paths keep building and
# passing where the x86 vector scans do not exist.
#
# Usage: tools/check-arm64.sh [build folder]     (default: build-arm64 in the source tree)
# Installs crossbuild-essential-arm64, qemu-user, file and the GoogleTest sources with apt-get
# when they are missing (root needed only then). GoogleTest is built from /usr/src/googletest
# with the cross compiler, once per build folder.
#
# The test programs run under qemu-aarch64. The tests that start the batch tool as a process
# (ctest label runs-tool) are left out: an arm64 program started from an emulated one needs the
# kernel's binfmt_misc, which containers rarely offer. The tool itself is checked instead by
# running it under the emulator on the golden cases and comparing the bytes.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build-arm64}
sysroot=/usr/aarch64-linux-gnu
jobs=$(nproc)
started=$(date +%s)

missing=
command -v aarch64-linux-gnu-g++ >/dev/null || missing="$missing crossbuild-essential-arm64"
command -v qemu-aarch64 >/dev/null || missing="$missing qemu-user"
command -v file >/dev/null || missing="$missing file"
[ -f /usr/src/googletest/CMakeLists.txt ] || missing="$missing googletest"
# ICU for arm64 comes from Debian's arm64 archive, beside the native one (multiarch), with the
# arm64 C and C++ libraries it needs; the emulated programs then run on those (qemu -L /), since
# the cross compiler's copies of them are another build that must not be mixed with them.
icu=/usr/lib/aarch64-linux-gnu/libicuuc.so
if [ ! -f "$icu" ]; then
    dpkg --print-foreign-architectures | grep -qx arm64 || dpkg --add-architecture arm64
    missing="$missing libicu-dev:arm64"
fi
if [ -n "$missing" ]; then
    echo "== Installing:$missing"
    apt-get update -qq
    # shellcheck disable=SC2086 # one word per package
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing
fi

mkdir -p "$build"
build=$(cd "$build" && pwd)  # the toolchain file and the CMake calls need it absolute
toolchain=$build/aarch64-toolchain.cmake
cat >"$toolchain" <<EOF
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_FIND_ROOT_PATH $sysroot $build/googletest)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64 -L /)
set(ICU_INCLUDE_DIR /usr/include CACHE PATH "")
set(ICU_UC_LIBRARY_RELEASE $icu CACHE FILEPATH "")
EOF

if [ ! -f "$build/googletest/lib/cmake/GTest/GTestConfig.cmake" ]; then
    echo "== GoogleTest for arm64"
    cmake -S /usr/src/googletest -B "$build/googletest-build" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$build/googletest" \
        >/dev/null
    cmake --build "$build/googletest-build" -j"$jobs" >/dev/null
    cmake --install "$build/googletest-build" >/dev/null
fi

echo "== Engine, batch tool and tests for arm64"
launcher=
if command -v ccache >/dev/null; then
    launcher="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache"
fi
# shellcheck disable=SC2086 # the launcher options are separate words
cmake -S "$top" -B "$build/wordloom" -DCMAKE_BUILD_TYPE=Release $launcher \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DWORDLOOM_BUILD_GUI=OFF -DWORDLOOM_BUILD_BENCH=OFF \
    >/dev/null
cmake --build "$build/wordloom" -j"$jobs"
file "$build/wordloom/bin/wordloom-unscramble" | grep -q "ARM aarch64" ||
    { echo "wordloom-unscramble is not an arm64 program" >&2; exit 1; }

echo "== Tests under qemu-aarch64"
ctest --test-dir "$build/wordloom" --output-on-failure -j"$jobs" -LE runs-tool

echo "== The batch tool under qemu-aarch64 against the golden files"
tool="qemu-aarch64 -L / $build/wordloom/bin/wordloom-unscramble"
golden=$top/tests/cli/golden
failed=0
check() {
    expected=$1
    shift
    if $tool "$@" | cmp -s - "$golden/$expected"; then
        echo "same bytes: $expected"
    else
        echo "DIFFERENT: $expected" >&2
        failed=1
    fi
}
check args-words.txt -d "$golden/small.dic" tca TEA 'oc?t' 'ét?'
check args.tsv -d "$golden/small.dic" --format tsv tca TEA 'oc?t' 'ét?'
check args-aligned.txt -d "$golden/small.dic" --format=aligned tca TEA 'oc?t' 'ét?'
check letters-mixed.tsv -d "$golden/small.dic" --format tsv -f "$golden/letters-mixed.txt"
check order-3.tsv -d "$golden/small.dic" --format tsv -l 3 'oc?t' -f "$golden/letters-mixed.txt"
echo "arm64 check took $(($(date +%s) - started)) s"
exit $failed
