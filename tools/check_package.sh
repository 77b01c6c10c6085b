#!/bin/sh
# Checks the Debian package the way a user gets it: builds the .deb, makes a minimal Debian 12
# root with debootstrap, installs the package there with apt, runs both programs (the window
# under xvfb-run, installed into the root for this check only), validates the desktop entry,
# runs lintian, purges the package and lists anything it left behind.
# Needs root and the network; not part of the test command (it downloads a base system).
#   check_package.sh [WORK_DIR]      (default: a new temporary folder, removed at the end)
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
work=${1:-$(mktemp -d)}
keep=${1:+yes}
root="$work/root"
mirror=${DEBIAN_MIRROR:-http://deb.debian.org/debian}
mounted=

export DEBIAN_FRONTEND=noninteractive
apt-get install -y -qq --no-install-recommends debootstrap lintian desktop-file-utils >/dev/null

cleanUp() {
    for point in $mounted; do umount -l "$point" 2>/dev/null || true; done
    [ -n "$keep" ] || rm -rf --one-file-system "$work"
}
trap cleanUp EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
failures=0
problem() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
step() { echo "== $*"; }
inRoot() { chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root \
    LANG=C.UTF-8 DEBIAN_FRONTEND=noninteractive "$@"; }

step "Building the package"
cmake -S "$top" -B "$work/build" -DCMAKE_BUILD_TYPE=Release -DWORDLOOM_BUILD_TESTS=OFF \
    -DWORDLOOM_BUILD_BENCH=OFF >/dev/null
cmake --build "$work/build" -j"$(nproc)" >/dev/null
(cd "$work/build" && cpack >/dev/null)
deb=$(ls "$work"/build/wordloom_*.deb)
echo "$(basename "$deb")"

step "lintian --pedantic"
lintian --pedantic --tag-display-limit 0 "$deb" 2>&1 | grep -v 'root privileges' | tee "$work/lintian.txt"
if grep -q '^[EW]:' "$work/lintian.txt"; then
    problem "lintian reports errors or warnings"
else
    echo "no errors, no warnings"
fi

step "A minimal Debian 12 root"
if [ ! -x "$root/usr/bin/apt-get" ]; then
    debootstrap --variant=minbase bookworm "$root" "$mirror" >"$work/debootstrap.log" 2>&1 ||
        fail "debootstrap failed; see $work/debootstrap.log"
fi
mount -t proc proc "$root/proc" && mounted="$root/proc"
mount --rbind /dev "$root/dev" && mounted="$root/dev $mounted"
inRoot apt-get update -qq
# Only what runs the checks below: the X server for the window and a tool to find the window.
inRoot apt-get install -y -qq --no-install-recommends xvfb xauth xdotool >/dev/null
before="$work/files-before.txt"
after="$work/files-after.txt"
listFiles() {
    (cd "$root" && find . -xdev \( -path ./proc -o -path ./dev -o -path ./tmp -o -path ./root \
        -o -path ./var/cache -o -path ./var/lib/apt -o -path ./var/lib/dpkg -o -path ./var/log \) \
        -prune -o -print | sort)
}
listFiles >"$before"

step "Installing the package with apt"
cp "$deb" "$root/tmp/"
inRoot apt-get install -y -qq --no-install-recommends "/tmp/$(basename "$deb")" >/dev/null ||
    fail "apt could not install the package"
inRoot dpkg -s wordloom | sed -n 's/^Depends: /Depends: /p'
font=$(inRoot fc-match sans-serif)
echo "sans-serif font: $font"
case $font in *Mono*) fail "dialogs would use a monospace font ($font)" ;; esac

step "The batch tool"
inRoot wordloom-unscramble -l 7-8 tatuprec >"$work/words.txt" || fail "wordloom-unscramble failed"
grep -qx capture "$work/words.txt" || fail "tatuprec did not give 'capture'"
inRoot wordloom-unscramble --version
for page in wordloom wordloom-unscramble; do
    [ -f "$root/usr/share/man/man1/$page.1.gz" ] || problem "no manual page for $page"
done

step "The window under xvfb-run"
cat >"$root/tmp/window-check.sh" <<'SCRIPT'
export XDG_CONFIG_HOME=/tmp/home/config XDG_DATA_HOME=/tmp/home/data XDG_RUNTIME_DIR=/tmp/home/run
mkdir -p -m 700 /tmp/home/run
wordloom &
gui=$!
timeout 30 xdotool search --sync --name '^Wordloom Anagram Finder Studio$' >/dev/null || exit 1
kill -TERM "$gui"
wait "$gui"
SCRIPT
inRoot xvfb-run -a sh /tmp/window-check.sh || fail "the window did not appear or did not close cleanly"
echo "the window appeared and closed cleanly"

step "desktop-file-validate"
if desktop-file-validate "$root/usr/share/applications/app.wordloom.wordloom.desktop"; then
    echo "valid"
else
    problem "invalid desktop entry"
fi

step "Purging the package"
inRoot apt-get purge -y -qq wordloom >/dev/null
inRoot apt-get autoremove --purge -y -qq >/dev/null
listFiles >"$after"
left=$(comm -13 "$before" "$after")
if [ -n "$left" ]; then
    echo "left behind:"
    echo "$left"
    problem "the purge left files behind"
else
    echo "nothing left behind"
fi
[ "$failures" -eq 0 ] || fail "$failures check(s) failed"
echo "package check passed"
