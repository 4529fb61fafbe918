#!/usr/bin/env bash
# End to end as users run the reader: a virtual X server with a window manager (openbox),
# driven by xdotool from outside.
#   1. Ten closes and reopens leave the stored placement and the window's frame on the screen
#      exactly where they were.
#   2. With the Arabic keyboard layout, the keys where Z and X are turn the pages; Left and
#      Page Down turn to the next page when there is nothing to scroll.
#   3. A click on the text of the Throne Verse (page 42, third verse link) puts exactly "2:255"
#      on the clipboard, read by xclip from another process; a click on a verse number paints
#      it red on the screen and stores the bookmark, which is red again after a restart.
#   4. SIGTERM closes the reader as a close request does: the page reached is kept.
# Link positions come from the reader itself (pagora-e2e prints them), colours from the screen.
#
# usage: reader_e2e.sh PAGORA_E2E E2E_XPROBE
# Exits 77 (skipped) when one of the X tools or the probe is missing, or Xvfb cannot start.
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
    [ -f "$log" ] && grep -v '^pagora-link ' "$log" | tail -20 >&2
    [ -f "$work/openbox.log" ] && tail -5 "$work/openbox.log" >&2
    exit 1
}

for tool in Xvfb openbox xdotool xclip xwininfo xprop setxkbmap xmodmap; do
    command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed (scripts/setup.sh test installs it)"
done
[ -n "$XPROBE" ] && [ -x "$XPROBE" ] || skip "the X11 probe was not built (libx11-dev missing?)"
[ -x "$PAGORA" ] || fail "no reader at '$PAGORA'"

work=$(mktemp -d "${TMPDIR:-/tmp}/pagora-e2e.XXXXXX") || exit 1
log="$work/reader.log"
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

mkdir -p "$work/home" "$work/config/pagora" "$work/tmp" "$work/runtime"
chmod 700 "$work/runtime"
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" TMPDIR="$work/tmp"
export XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS SESSION_MANAGER

stop_session() {
    [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
    wm_pid="" xvfb_pid=""
}
# An X server (kept alive between readers by -noreset) with openbox managing it. Returns 1, with
# what went wrong in $work/session.log, when the server or the window manager does not come up.
start_session() {
    rm -f "$work/display"
    Xvfb -displayfd 3 -noreset -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>>"$work/xvfb.log" &
    xvfb_pid=$!
    for _ in $(seq 100); do
        [ -s "$work/display" ] && break
        kill -0 "$xvfb_pid" 2>/dev/null || { echo "Xvfb ended: $(tail -1 "$work/xvfb.log")"; return 1; }
        sleep 0.1
    done
    [ -s "$work/display" ] || { echo "Xvfb gave no display number"; return 1; }
    export DISPLAY=":$(tr -d '[:space:]' <"$work/display")"
    for _ in $(seq 100); do
        xprop -root >/dev/null 2>&1 && break
        sleep 0.1
    done
    xprop -root >/dev/null 2>&1 || { echo "display $DISPLAY does not answer"; return 1; }
    openbox --sm-disable >>"$work/openbox.log" 2>&1 &
    wm_pid=$!
    for _ in $(seq 300); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id #' && return 0
        if ! kill -0 "$wm_pid" 2>/dev/null; then
            wait "$wm_pid"
            echo "openbox ended with status $? on $DISPLAY"
            wm_pid=""
            return 1
        fi
        sleep 0.1
    done
    echo "openbox did not manage $DISPLAY within 30 s"
    return 1
}
# A loaded machine may need another try, on a new server.
session_started=""
for attempt in 1 2 3; do
    if start_session >>"$work/session.log" 2>&1; then
        session_started=yes
        break
    fi
    stop_session
    sleep "$attempt"
done
if [ -z "$session_started" ]; then
    cat "$work/session.log" >&2
    tail -5 "$work/xvfb.log" >&2
    grep -q 'Xvfb ended\|no display number' "$work/session.log" && skip "Xvfb does not start here"
    fail "openbox did not start"
fi
# Sanitizer builds: LeakSanitizer cannot scan the plugins' thread-local storage on this glibc,
# and glib and D-Bus keep a few blocks to the end on purpose; the reader's own leaks still count.
printf 'leak:libglib-2.0.so\nleak:libdbus-1.so\n' >"$work/lsan.supp"
export LSAN_OPTIONS="${LSAN_OPTIONS:-use_tls=0:suppressions=$work/lsan.supp}"
ini="$work/config/pagora/$(basename "$PAGORA").ini"

window=""
start_reader() {
    "$PAGORA" >"$log" 2>&1 &
    reader_pid=$!
    for _ in $(seq 400); do
        window=$(xdotool search --onlyvisible --pid "$reader_pid" --name '^Tamrit Pagora' 2>/dev/null | head -1)
        [ -n "$window" ] && xprop -id "$window" _NET_FRAME_EXTENTS 2>/dev/null | grep -q '=' &&
            grep -q '^pagora-links-end ' "$log" && break
        kill -0 "$reader_pid" 2>/dev/null || fail "the reader ended while starting"
        sleep 0.1
    done
    [ -n "$window" ] || fail "the reader's window did not show within 40 s"
    xdotool windowactivate --sync "$window" 2>/dev/null
    sleep 0.3
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
setting() {
    grep -E "^$1=" "$ini" | tail -1 | cut -d= -f2-
}
# The page the single view shows, as its last report names it.
shown() {
    grep '^pagora-links-end wbSinglePage' "$log" | tail -1 | cut -d' ' -f3
}
# Presses key $1 and waits until the single page shows page $2 (a three-digit key).
press() {
    xdotool key --clearmodifiers "$1"
    for _ in $(seq 100); do
        [ "$(shown)" = "$2" ] && return 0
        sleep 0.1
    done
    fail "after the key $1 the page shown is $(shown), not $2"
}
# The last reported position and colour of a link of page 42: "X Y COLOUR".
link() {
    grep "^pagora-link wbSinglePage 042 $1 " "$log" | tail -1 | cut -d' ' -f5-7
}
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
# The window's frame on the screen: "X Y WIDTH HEIGHT".
frame() {
    local geometry x y w h l r t b
    geometry=$(xwininfo -id "$window")
    x=$(awk '/Absolute upper-left X/ {print $4}' <<<"$geometry")
    y=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$geometry")
    w=$(awk '/^ *Width:/ {print $2}' <<<"$geometry")
    h=$(awk '/^ *Height:/ {print $2}' <<<"$geometry")
    read -r l r t b <<<"$(xprop -id "$window" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')"
    echo "$((x - l)) $((y - t)) $((w + l + r)) $((h + t + b))"
}
# The frame once the window manager and the reader have done placing it: the same twice in a
# row, 0.3 s apart (a loaded machine may show a window before its last move).
settled_frame() {
    local before now
    before=$(frame)
    for _ in $(seq 30); do
        sleep 0.3
        now=$(frame)
        [ "$now" = "$before" ] && break
        before=$now
    done
    echo "$now"
}
placement() {
    grep -E '^(Left|Top|Width|Height)=' "$ini" | tr '\n' ' '
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
first_frame=$(settled_frame)
close_reader
first_placement=$(placement)
for cycle in $(seq 2 10); do
    start_reader
    shown_frame=$(settled_frame)
    [ "$shown_frame" = "$first_frame" ] || fail "cycle $cycle: the frame moved from $first_frame to $shown_frame"
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
press "$key_z" 101
press "$key_z" 102
press "$key_z" 103
press "$key_x" 102
press Left 103
press Next 104
close_reader
echo "Arabic layout: Z Z Z X Left Page-Down -> page $(setting Pageno)"
setxkbmap us

# ---------------------------------------------------------------- verses and bookmark
# Page 42 at text size 24 in a 1200 x 1000 window: its first verses are in view.
sed -i 's/^FontSize=.*/FontSize=24/; s/^Pageno=.*/Pageno=42/; s/^Left=.*/Left=0/; s/^Top=.*/Top=0/;
        s/^Width=.*/Width=18000/; s/^Height=.*/Height=15000/' "$ini"
start_reader
read -r vx vy _ <<<"$(link '#aya3')"
[ -n "${vy:-}" ] || fail "the third verse of page 42 is not in view"
printf 'before' | xclip -selection clipboard -i -loops 1 2>/dev/null &
sleep 0.3
xdotool mousemove "$vx" "$vy" click 1
for _ in $(seq 50); do
    [ "$(clipboard)" = "2:255" ] && break
    sleep 0.1
done
[ "$(clipboard)" = "2:255" ] || fail "clicking the Throne Verse's text at $vx,$vy gave '$(clipboard)'"
echo "verse text at $vx,$vy -> clipboard '$(clipboard)'"

read -r nx ny ncolour <<<"$(link '#num2')"
[ -n "${ny:-}" ] && [ "$ncolour" != "#ff0000" ] || fail "#num2 is not in view or already red"
read -r _ red_before _ _ <<<"$(colours_at "$nx" "$ny")"
[ "$red_before" -eq 0 ] || fail "red pixels at the number before the click"
xdotool mousemove "$nx" "$ny" click 1
wait_colour '#num2' '#ff0000'
for _ in $(seq 25); do
    read -r _ red _ _ <<<"$(colours_at "$nx" "$ny")"
    [ "$red" -gt 0 ] && break
    sleep 0.2
done
[ "$red" -gt 0 ] || fail "no red pixels at the clicked number $nx,$ny"
[ "$(setting BookmarkPage)" = "042" ] && [ "$(setting BookmarkAya)" = "2" ] ||
    fail "the bookmark stored is '$(setting BookmarkPage)' '$(setting BookmarkAya)', not 042 2"
[ "$(clipboard)" = "2:255" ] || fail "the number click changed the clipboard to '$(clipboard)'"
echo "verse number at $nx,$ny -> painted ($red red pixels), stored"
close_reader
start_reader
wait_colour '#num2' '#ff0000'
[ "$(link '#num1' | cut -d' ' -f3)" = "#0000ff" ] || fail "#num1 is not blue after the restart"
# A loaded machine may paint the restored window well after it reports its links.
for _ in $(seq 50); do
    read -r nx ny _ <<<"$(link '#num2')"
    read -r ox oy _ <<<"$(link '#num1')"
    read -r _ red _ _ <<<"$(colours_at "$nx" "$ny")"
    read -r _ other_red _ other_blue <<<"$(colours_at "$ox" "$oy")"
    [ "$red" -gt 0 ] && [ "$other_red" -eq 0 ] && [ "$other_blue" -gt 0 ] && break
    sleep 0.2
done
[ "$red" -gt 0 ] && [ "$other_red" -eq 0 ] && [ "$other_blue" -gt 0 ] ||
    fail "after the restart: $red red pixels at the bookmark, $other_red / $other_blue red / blue at another number"
echo "after the restart: bookmarked number red ($red pixels), the other blue ($other_blue pixels)"

# ---------------------------------------------------------------- SIGTERM
press z 043
press z 044
kill -TERM "$reader_pid"
wait_reader
[ "$(setting Pageno)" = "44" ] || fail "after SIGTERM the stored page is $(setting Pageno), not 44"
echo "SIGTERM -> page $(setting Pageno) kept"
echo "PASSED"
