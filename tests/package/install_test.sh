#!/bin/sh
# Installs the build into a temporary root the way the Debian package lays it out and starts
# both programs from there through their links in bin: the batch tool must answer a letter set
# and the window must find its dictionary and end cleanly when it is closed.
#   install_test.sh BUILD_DIR
set -eu
build=$1
root=$(mktemp -d)
gui=
xvfb=
cleanUp() {
    for process in $gui $xvfb; do
        kill "$process" 2>/dev/null || true
    done
    rm -rf "$root"
}
trap cleanUp EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

# Runs a check every tenth of a second until it succeeds (status 0) or the time-out passes
# (status 1): the waits below are for events, and a busy machine only makes them take longer.
#   waitUntil SECONDS COMMAND...
waitUntil() {
    tenths=$(($1 * 10))
    shift
    while ! "$@"; do
        tenths=$((tenths - 1))
        [ "$tenths" -gt 0 ] || return 1
        sleep 0.1
    done
}

# Whether process $1 has installed its SIGTERM handler (signal 15: 0x4000 in SigCgt) or has
# ended (gone, or a zombie until it is waited for).
catchesTermOrEnded() {
    state=$(awk '/^State:/ { s = $2 } /^SigCgt:/ { c = substr($2, length($2) - 7) }
                 END { print s, c }' "/proc/$1/status" 2>/dev/null) || return 0
    case $state in
        "" | Z* | X*) return 0 ;;
    esac
    [ $((0x${state#* } & 0x4000)) -ne 0 ]
}

# Whether Xvfb has written its display number to the file $1, which it does once it accepts
# connections (-displayfd).
displayReady() { [ -s "$1" ]; }

DESTDIR="$root" cmake --install "$build" --prefix /usr >/dev/null
app="$root/usr/lib/wordloom"
for file in wordloom wordloom-unscramble words.dic words.dic.LICENSE HAND-M.CUR; do
    [ -f "$app/$file" ] || fail "$file is not installed beside the programs"
done
for file in share/applications/app.wordloom.wordloom.desktop \
    share/metainfo/app.wordloom.wordloom.metainfo.xml \
    share/icons/hicolor/scalable/apps/wordloom.svg share/icons/hicolor/256x256/apps/wordloom.png; do
    [ -f "$root/usr/$file" ] || fail "$file is not installed"
done
# Software centres match the metainfo to the desktop entry and the icon of the same tree.
if command -v appstreamcli >/dev/null; then
    appstreamcli validate-tree --no-net "$root" >/dev/null ||
        fail "appstreamcli validate-tree finds problems in the installed metainfo"
fi
[ -L "$root/usr/bin/wordloom" ] && [ -L "$root/usr/bin/wordloom-unscramble" ] ||
    fail "the programs have no links in bin"

# The batch tool, started through its link, finds words.dic beside its real file.
"$root/usr/bin/wordloom-unscramble" -l 7-8 tatuprec > "$root/words.txt" ||
    fail "wordloom-unscramble tatuprec failed"
grep -qx capture "$root/words.txt" || fail "tatuprec did not give 'capture'"
"$root/usr/bin/wordloom-unscramble" --version | grep -q '[0-9]\.[0-9]' || fail "no version"

# The window: started through its link, it loads the dictionary and ends with status 0 when
# it is closed (SIGTERM closes it like its close button).
export XDG_CONFIG_HOME="$root/config" XDG_DATA_HOME="$root/data" QT_QPA_PLATFORM=offscreen
"$root/usr/bin/wordloom" &
gui=$!
# SIGTERM is caught before the dictionary loads and acted on once the event loop runs, so the
# window is told to close as soon as it can hear it, and must still have loaded.
waitUntil 60 catchesTermOrEnded "$gui" || fail "the window did not start within 60 s"
kill -0 "$gui" 2>/dev/null || fail "the window ended by itself"
kill -TERM "$gui"
status=0
wait "$gui" || status=$?
gui=
[ "$status" -eq 0 ] || fail "the window ended with status $status when closed"

# Under a real X server the main window must show (it does not when words.dic is missing).
if command -v Xvfb >/dev/null && command -v xdotool >/dev/null; then
    Xvfb -displayfd 3 -screen 0 1024x768x24 3>"$root/display" >/dev/null 2>&1 &
    xvfb=$!
    waitUntil 60 displayReady "$root/display" || fail "Xvfb did not start within 60 s"
    display=:$(cat "$root/display")
    DISPLAY=$display QT_QPA_PLATFORM=xcb "$root/usr/bin/wordloom" &
    gui=$!
    DISPLAY=$display timeout 20 xdotool search --sync --name '^Wordloom Anagram Finder Studio$' \
        >/dev/null || fail "the main window did not appear under X"
    kill -TERM "$gui"
    wait "$gui" || fail "the window did not end cleanly under X"
    gui=

    # Without words.dic the program says so and, once the message is answered, ends with 1.
    rm "$app/words.dic"
    DISPLAY=$display QT_QPA_PLATFORM=xcb "$root/usr/bin/wordloom" &
    gui=$!
    DISPLAY=$display timeout 20 xdotool search --sync --onlyvisible --name '^wordloom$' \
        >/dev/null || fail "no message about the missing dictionary"
    # The message box has the keyboard focus once it is mapped: Return answers it.
    answerAndEnded() {
        kill -0 "$gui" 2>/dev/null || return 0
        DISPLAY=$display xdotool key Return 2>/dev/null || true
        ! kill -0 "$gui" 2>/dev/null
    }
    waitUntil 60 answerAndEnded || fail "the message about the missing dictionary was not answered"
    status=0
    wait "$gui" || status=$?
    gui=
    [ "$status" -eq 1 ] || fail "without a dictionary the window ended with status $status, not 1"
fi
echo "install test passed"
