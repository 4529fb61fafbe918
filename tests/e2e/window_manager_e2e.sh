#!/usr/bin/env bash
# End to end under a real window manager (openbox) on a virtual X server, as users run the
# reader:
#   1. Ten closes and reopens leave the stored placement and the window's frame on the screen
#      exactly where they were.
#   2. With the Arabic keyboard layout, the keys where Z and X are turn the pages; Left and
#      Page Down turn to the next page when there is nothing to scroll.
#   3. SIGTERM closes the reader as a close request does: the page reached is kept.
#
# usage: window_manager_e2e.sh PAGORA_E2E E2E_XPROBE
# (pagora-e2e prints which page each view shows once painted.)
# Exits 77 (skipped) when Xvfb, openbox, xdotool, xwininfo, xprop, setxkbmap, xmodmap or the
# probe is missing.
set -uo pipefail

PAGORA=${1:-}
XPROBE=${2:-}
SKIP=77

skip() {
    echo "SKIPPED: $*"
    exit "$SKIP"
}
fail() {
    echo "FAILED: $*" >&2
    [ -f "$work/reader.log" ] && grep -v '^pagora-link ' "$work/reader.log" | tail -20 >&2
    [ -f "$work/openbox.log" ] && tail -5 "$work/openbox.log" >&2
    exit 1
}

for tool in Xvfb openbox xdotool xwininfo xprop setxkbmap xmodmap; do
    command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed (scripts/setup.sh installs it)"
done
[ -n "$XPROBE" ] && [ -x "$XPROBE" ] || skip "the X11 probe was not built (libx11-dev missing?)"
[ -x "$PAGORA" ] || fail "no reader at '$PAGORA'"

work=$(mktemp -d "${TMPDIR:-/tmp}/pagora-wm.XXXXXX") || exit 1
xvfb_pid=""
wm_pid=""
reader_pid=""
cleanup() {
    [ -n "$reader_pid" ] && kill "$reader_pid" 2>/dev/null
    [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
    [ -n "${PAGORA_E2E_KEEP:-}" ] || rm -rf "$work"
}
trap cleanup EXIT

# The server must outlive each reader: without -noreset it resets when its last client goes.
Xvfb -displayfd 3 -noreset -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || skip "Xvfb does not start here: $(tail -1 "$work/xvfb.log")"
    sleep 0.1
done
[ -s "$work/display" ] || skip "Xvfb gave no display number"
export DISPLAY=":$(tr -d '[:space:]' <"$work/display")"
mkdir -p "$work/home" "$work/config/openbox"
# A heavily loaded machine may need a second try.
for attempt in 1 2; do
    HOME="$work/home" XDG_CONFIG_HOME="$work/config" openbox >>"$work/openbox.log" 2>&1 &
    wm_pid=$!
    for _ in $(seq 300); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window && break 2
        kill -0 "$wm_pid" 2>/dev/null || break
        sleep 0.1
    done
    kill "$wm_pid" 2>/dev/null
    wait "$wm_pid" 2>/dev/null
done
xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window || fail "openbox did not start"

mkdir -p "$work/config/pagora" "$work/tmp" "$work/runtime"
chmod 700 "$work/runtime"
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" TMPDIR="$work/tmp"
export XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS
printf 'leak:libglib-2.0.so\nleak:libdbus-1.so\n' >"$work/lsan.supp"
export LSAN_OPTIONS="${LSAN_OPTIONS:-use_tls=0:suppressions=$work/lsan.supp}"
ini="$work/config/pagora/$(basename "$PAGORA").ini"

window=""
start_reader() {
    "$PAGORA" >"$work/reader.log" 2>&1 &
    reader_pid=$!
    for _ in $(seq 400); do
        window=$(xdotool search --onlyvisible --pid "$reader_pid" --name '^Tamrit Pagora' 2>/dev/null | head -1)
        [ -n "$window" ] && xprop -id "$window" _NET_FRAME_EXTENTS 2>/dev/null | grep -q '=' && break
        kill -0 "$reader_pid" 2>/dev/null || fail "the reader ended while starting"
        sleep 0.1
    done
    [ -n "$window" ] || fail "the reader's window did not show within 40 s"
    sleep 0.5
}
wait_reader() {
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
close_reader() {
    "$XPROBE" close "$window" || fail "the close request failed"
    wait_reader
}
# The window's frame on the screen: "X Y WIDTH HEIGHT".
frame() {
    local x y w h extents l r t b
    x=$(xwininfo -id "$window" | awk '/Absolute upper-left X/ {print $4}')
    y=$(xwininfo -id "$window" | awk '/Absolute upper-left Y/ {print $4}')
    w=$(xwininfo -id "$window" | awk '/^ *Width:/ {print $2}')
    h=$(xwininfo -id "$window" | awk '/^ *Height:/ {print $2}')
    extents=$(xprop -id "$window" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
    read -r l r t b <<<"$extents"
    echo "$((x - l)) $((y - t)) $((w + l + r)) $((h + t + b))"
}
placement() {
    grep -E '^(Left|Top|Width|Height)=' "$ini" | tr '\n' ' '
}
setting() {
    grep -E "^$1=" "$ini" | tail -1 | cut -d= -f2-
}
# Presses key $1 and waits until the single page shows page $2 (a three-digit key).
press() {
    xdotool key --clearmodifiers "$1"
    for _ in $(seq 100); do
        [ "$(grep '^pagora-links-end wbSinglePage' "$work/reader.log" | tail -1 | cut -d' ' -f3)" = "$2" ] &&
            return 0
        sleep 0.1
    done
    fail "after the key $1 the page shown is not $2"
}

# ---------------------------------------------------------------- placement
cat >"$ini" <<'INI'
[UserSelection]
FontSize=12
Pageno=100
PageMode=1

[WindowState]
State=0
Left=1500
Top=1200
Width=12000
Height=9000
INI
start_reader
first_frame=$(frame)
close_reader
first_placement=$(placement)
for cycle in $(seq 2 10); do
    start_reader
    [ "$(frame)" = "$first_frame" ] || fail "cycle $cycle: the frame moved from $first_frame to $(frame)"
    close_reader
    [ "$(placement)" = "$first_placement" ] ||
        fail "cycle $cycle: the placement changed from '$first_placement' to '$(placement)'"
done
echo "ten reopen cycles: frame $first_frame, stored $first_placement"

# ---------------------------------------------------------------- keys
setxkbmap ara || skip "the Arabic keyboard layout is not available"
# What the keys where Z and X are (X11 key codes 52 and 53) type under this layout.
key_z=$(xmodmap -pke | awk '$2 == 52 {print $4}')
key_x=$(xmodmap -pke | awk '$2 == 53 {print $4}')
case "$key_z$key_x" in Arabic_*Arabic_*) ;; *) fail "the Z and X keys type '$key_z' and '$key_x'" ;; esac
start_reader
xdotool windowactivate --sync "$window" 2>/dev/null
sleep 0.3
press "$key_z" 101
press "$key_z" 102
press "$key_z" 103
press "$key_x" 102
press Left 103
press Next 104
close_reader
[ "$(setting Pageno)" = "104" ] ||
    fail "Z Z Z X, Left and Page Down from page 100 under the Arabic layout gave page $(setting Pageno), not 104"
echo "Arabic layout: Z Z Z X Left Page-Down -> page $(setting Pageno)"
setxkbmap us

# ---------------------------------------------------------------- SIGTERM
start_reader
xdotool windowactivate --sync "$window" 2>/dev/null
sleep 0.3
press z 105
press z 106
kill -TERM "$reader_pid"
wait_reader
[ "$(setting Pageno)" = "106" ] || fail "after SIGTERM the stored page is $(setting Pageno), not 106"
echo "SIGTERM -> page $(setting Pageno) kept"
echo "PASSED"
