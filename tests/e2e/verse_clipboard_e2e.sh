#!/usr/bin/env bash
# End to end in a real X session: the reader on a virtual X server, clicked with xdotool.
#   1. A click on the text of the Throne Verse (page 42, third verse link) puts exactly "2:255"
#      on the clipboard, read by xclip from another process.
#   2. A click on a verse number paints it red and saves the bookmark; the reader is closed like
#      a window manager closes it and started again: the settings file still holds the
#      bookmark, and the number shows red on the screen.
# Link positions come from the reader itself (pagora-e2e prints them), colours from the screen.
#
# usage: verse_clipboard_e2e.sh PAGORA_E2E E2E_XPROBE
# Exits 77 (skipped) when Xvfb, xdotool, xclip or the probe is missing.
set -uo pipefail

PAGORA=${1:-}
XPROBE=${2:-}
SKIP=77

skip() {
    echo "SKIPPED: $*" >&2
    echo "SKIPPED: $*"
    exit "$SKIP"
}
fail() {
    echo "FAILED: $*" >&2
    for log in "$work"/run*.log; do
        [ -f "$log" ] && { echo "---- $log (last lines)" >&2; grep -v '^pagora-link' "$log" | tail -20 >&2; }
    done
    exit 1
}

for tool in Xvfb xdotool xclip; do
    command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed (scripts/setup.sh installs it)"
done
[ -n "$XPROBE" ] && [ -x "$XPROBE" ] || skip "the X11 probe was not built (libx11-dev missing?)"
[ -x "$PAGORA" ] || fail "no reader at '$PAGORA'"
bin=$(dirname "$PAGORA")
[ -f "$bin/support.dat" ] && [ -f "$bin/order9.dat" ] || fail "the archives are not beside $PAGORA"

work=$(mktemp -d "${TMPDIR:-/tmp}/pagora-e2e.XXXXXX") || exit 1
xvfb_pid=""
reader_pid=""
cleanup() {
    [ -n "$reader_pid" ] && kill "$reader_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
    [ -n "${PAGORA_E2E_KEEP:-}" ] || rm -rf "$work"
}
trap cleanup EXIT

# A display of our own: Xvfb picks a free number and writes it to fd 3.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || skip "Xvfb does not start here: $(tail -1 "$work/xvfb.log")"
    sleep 0.1
done
[ -s "$work/display" ] || skip "Xvfb gave no display number"
export DISPLAY=":$(tr -d '[:space:]' <"$work/display")"

# The reader's own environment: settings, temporary folder, no inherited platform choice.
mkdir -p "$work/home" "$work/config/pagora" "$work/tmp" "$work/runtime"
chmod 700 "$work/runtime"
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" TMPDIR="$work/tmp"
export XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS
# Sanitizer builds: LeakSanitizer cannot scan the plugins' thread-local storage on this glibc,
# and glib and D-Bus keep a few blocks to the end on purpose; the reader's own leaks still count.
printf 'leak:libglib-2.0.so\nleak:libdbus-1.so\n' >"$work/lsan.supp"
export LSAN_OPTIONS="${LSAN_OPTIONS:-use_tls=0:suppressions=$work/lsan.supp}"
ini="$work/config/pagora/$(basename "$PAGORA").ini"

# Page 42 in single-page mode, text size 24, the window at the top left at a fixed size.
cat >"$ini" <<'INI'
[UserSelection]
FontSize=24
Pageno=42
PageMode=1

[WindowState]
State=0
Left=0
Top=0
Width=18000
Height=15000
INI

# Starts the reader, logging to run$1.log, and waits until page 42 has been painted.
start_reader() {
    log="$work/run$1.log"
    "$PAGORA" >"$log" 2>&1 &
    reader_pid=$!
    for _ in $(seq 150); do
        grep -q '^pagora-links-end wbSinglePage 042' "$log" && return 0
        kill -0 "$reader_pid" 2>/dev/null || fail "the reader ended while starting (run $1)"
        sleep 0.1
    done
    fail "page 42 was not painted within 15 s (run $1)"
}

# The last reported position and colour of a link: "X Y COLOUR".
link() {
    grep "^pagora-link wbSinglePage 042 $1 " "$log" | tail -1 | cut -d' ' -f5-7
}

# Waits until the reader reports link $1 in colour $2.
wait_colour() {
    for _ in $(seq 50); do
        [ "$(link "$1" | cut -d' ' -f3)" = "$2" ] && return 0
        sleep 0.1
    done
    fail "$1 was not reported as $2 (last: $(link "$1"))"
}

# Red and blue pixels on the screen round a point: "red N blue M".
colours_at() {
    "$XPROBE" colours "$1" "$2" 12 || fail "the screen could not be read"
}

clipboard() {
    timeout 5 xclip -o -selection clipboard 2>/dev/null
}

close_reader() {
    local window
    window=$(xdotool search --onlyvisible --pid "$reader_pid" --name '^Tamrit Pagora' | head -1)
    [ -n "$window" ] || fail "the reader's window was not found"
    "$XPROBE" close "$window" || fail "the close request failed"
    for _ in $(seq 100); do
        if ! kill -0 "$reader_pid" 2>/dev/null; then
            wait "$reader_pid"
            local status=$?
            reader_pid=""
            [ "$status" -eq 0 ] || fail "the reader ended with status $status"
            return 0
        fi
        sleep 0.1
    done
    fail "the reader did not close within 10 s"
}

setting() {
    grep -E "^$1=" "$ini" | tail -1 | cut -d= -f2-
}

# ---------------------------------------------------------------- first run
start_reader 1
echo "reader started on $DISPLAY"

read -r vx vy _ <<<"$(link '#aya3')"
[ -n "${vy:-}" ] || fail "the third verse of page 42 is not in view"
printf 'before' | xclip -selection clipboard -i -loops 1 2>/dev/null &
sleep 0.3
xdotool mousemove "$vx" "$vy" click 1
sleep 0.5
got=$(clipboard)
[ "$got" = "2:255" ] || fail "clicking the Throne Verse's text at $vx,$vy gave the clipboard '$got'"
echo "verse text at $vx,$vy -> clipboard '$got'"

read -r nx ny ncolour <<<"$(link '#num2')"
read -r ox oy _ <<<"$(link '#num1')"
[ -n "${ny:-}" ] && [ -n "${oy:-}" ] || fail "the verse numbers of page 42 are not in view"
[ "$ncolour" != "#ff0000" ] || fail "#num2 is red before it was clicked"
read -r _ red_before _ _ <<<"$(colours_at "$nx" "$ny")"
[ "$red_before" -eq 0 ] || fail "red pixels at the number before the click"
xdotool mousemove "$nx" "$ny" click 1
wait_colour '#num2' '#ff0000'
sleep 0.3
read -r _ red _ blue <<<"$(colours_at "$nx" "$ny")"
[ "$red" -gt 0 ] || fail "no red pixels at the clicked number $nx,$ny"
echo "verse number at $nx,$ny -> painted ($red red pixels)"
[ "$(setting BookmarkPage)" = "042" ] || fail "BookmarkPage is '$(setting BookmarkPage)', not 042"
[ "$(setting BookmarkAya)" = "2" ] || fail "BookmarkAya is '$(setting BookmarkAya)', not 2"
got=$(clipboard)
[ "$got" = "2:255" ] || fail "the number click changed the clipboard to '$got'"
close_reader

# ---------------------------------------------------------------- second run
[ "$(setting BookmarkPage)" = "042" ] && [ "$(setting BookmarkAya)" = "2" ] ||
    fail "shutting down changed the bookmark"
start_reader 2
wait_colour '#num2' '#ff0000'
[ "$(link '#num1' | cut -d' ' -f3)" = "#0000ff" ] || fail "#num1 is not blue after the restart"
read -r nx ny _ <<<"$(link '#num2')"
read -r ox oy _ <<<"$(link '#num1')"
sleep 0.3
read -r _ red _ _ <<<"$(colours_at "$nx" "$ny")"
read -r _ other_red _ other_blue <<<"$(colours_at "$ox" "$oy")"
[ "$red" -gt 0 ] || fail "the bookmarked number at $nx,$ny is not red on the screen after the restart"
[ "$other_red" -eq 0 ] && [ "$other_blue" -gt 0 ] ||
    fail "the other number at $ox,$oy is not blue ($other_red red, $other_blue blue)"
echo "after the restart: bookmarked number red ($red pixels), the other blue ($other_blue pixels)"
close_reader
echo "PASSED"
