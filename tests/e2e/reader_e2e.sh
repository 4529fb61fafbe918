#!/usr/bin/env bash
# The reader under openbox in a virtual X server, driven by xdotool from outside. Link positions
# come from the reader (pagora-e2e prints them), colours from the screen.
# usage: reader_e2e.sh PAGORA_E2E E2E_XPROBE; exits 77 (skipped) without the X tools.
set -uo pipefail

PAGORA=${1:-} XPROBE=${2:-}
skip() { echo "SKIPPED: $*"; exit 77; }
fail() {
    echo "FAILED: $*" >&2
    [ -f "$log" ] && grep -v '^pagora-link ' "$log" | tail -20 >&2
    [ -f "$work/openbox.log" ] && tail -5 "$work/openbox.log" >&2
    exit 1
}
# Runs the rest of the line up to $1 times, 0.1 s apart, until it succeeds.
retry() {
    for _ in $(seq "$1"); do
        "${@:2}" && return 0
        sleep 0.1
    done
    return 1
}

for tool in Xvfb openbox xdotool xclip xwininfo xprop setxkbmap xmodmap; do
    command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed (scripts/setup.sh test installs it)"
done
[ -n "$XPROBE" ] && [ -x "$XPROBE" ] || skip "the X11 probe was not built (libx11-dev missing?)"
[ -x "$PAGORA" ] || fail "no reader at '$PAGORA'"

work=$(mktemp -d "${TMPDIR:-/tmp}/pagora-e2e.XXXXXX") || exit 1
log="$work/reader.log"
xvfb_pid="" wm_pid="" reader_pid=""
stop_session() {
    # shellcheck disable=SC2086
    kill $reader_pid $wm_pid $xvfb_pid 2>/dev/null
    wait 2>/dev/null
    xvfb_pid="" wm_pid="" reader_pid=""
}
trap 'stop_session; [ -n "${PAGORA_E2E_KEEP:-}" ] || rm -rf "$work"' EXIT

mkdir -p "$work/home" "$work/config/pagora" "$work/tmp" "$work/runtime"
chmod 700 "$work/runtime"
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" TMPDIR="$work/tmp"
export XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS SESSION_MANAGER

wm_managing() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id #'; }
# An X server (kept alive between readers by -noreset) with openbox managing it, or 1.
start_session() {
    rm -f "$work/display"
    Xvfb -displayfd 3 -noreset -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>>"$work/xvfb.log" &
    xvfb_pid=$!
    retry 100 test -s "$work/display" || { echo "Xvfb gave no display number: $(tail -1 "$work/xvfb.log")"; return 1; }
    export DISPLAY=":$(tr -d '[:space:]' <"$work/display")"
    retry 100 xprop -root >/dev/null 2>&1 || { echo "display $DISPLAY does not answer"; return 1; }
    openbox --sm-disable >>"$work/openbox.log" 2>&1 &
    wm_pid=$!
    retry 300 wm_managing || { echo "openbox did not manage $DISPLAY within 30 s"; return 1; }
}
# A loaded machine may need another try, on a new server.
for attempt in 1 2 3; do
    start_session >>"$work/session.log" 2>&1 && break
    stop_session
    sleep "$attempt"
done
if [ -z "$wm_pid" ]; then
    cat "$work/session.log" >&2
    tail -5 "$work/xvfb.log" >&2
    grep -q 'no display number' "$work/session.log" && skip "Xvfb does not start here"
    fail "openbox did not start"
fi
# Sanitizer builds: the plugins' thread-local storage cannot be scanned; glib and D-Bus keep blocks.
printf 'leak:libglib-2.0.so\nleak:libdbus-1.so\n' >"$work/lsan.supp"
export LSAN_OPTIONS="${LSAN_OPTIONS:-use_tls=0:suppressions=$work/lsan.supp}"
ini="$work/config/pagora/$(basename "$PAGORA").ini"

window=""
# The reader's window is shown, framed by the window manager, and its links reported.
reader_shown() {
    kill -0 "$reader_pid" 2>/dev/null || fail "the reader ended while starting"
    window=$(xdotool search --onlyvisible --pid "$reader_pid" --name '^Tamrit Pagora' 2>/dev/null | head -1)
    [ -n "$window" ] && xprop -id "$window" _NET_FRAME_EXTENTS 2>/dev/null | grep -q '=' &&
        grep -q '^pagora-links-end ' "$log"
}
start_reader() {
    "$PAGORA" >"$log" 2>&1 &
    reader_pid=$!
    retry 400 reader_shown || fail "the reader's window did not show within 40 s"
    xdotool windowactivate --sync "$window" 2>/dev/null
    sleep 0.3
}
reader_ended() { ! kill -0 "$reader_pid" 2>/dev/null; }
wait_reader() {
    retry 100 reader_ended || fail "the reader did not close within 10 s"
    wait "$reader_pid" || fail "the reader ended with status $?"
    reader_pid=""
}
close_reader() { "$XPROBE" close "$window" && wait_reader || fail "the close request failed"; }
setting() { grep -E "^$1=" "$ini" | tail -1 | cut -d= -f2-; }
# The page the single view shows, as its last report names it.
shown() { grep '^pagora-links-end wbSinglePage' "$log" | tail -1 | cut -d' ' -f3; }
# Whether what the command line $1 prints is $2.
is() { [ "$($1)" = "$2" ]; }
# Presses key $1 and waits until the single page shows page $2 (three digits); then $3 $4, ...
press() {
    while [ $# -gt 1 ]; do
        xdotool key --clearmodifiers "$1"
        retry 100 is shown "$2" || fail "after the key $1 the page shown is $(shown), not $2"
        shift 2
    done
}
# The last reported position and colour of a link of page 42: "X Y COLOUR" (or field $2 only).
link() { grep "^pagora-link wbSinglePage 042 $1 " "$log" | tail -1 | cut -d' ' -f"${2:-5-7}"; }
wait_colour() {
    retry 50 is "link $1 7" "$2" || fail "$1 was not reported as $2 (last: $(link "$1"))"
}
# Red and blue pixels on the screen round a point: "red N blue M".
colours_at() { "$XPROBE" colours "$1" "$2" 12 || fail "the screen could not be read"; }
clipboard() { timeout 5 xclip -o -selection clipboard 2>/dev/null; }
# Whether the screen shows red round the point $1 $2; the count is left in $red.
red_at() { read -r _ red _ _ <<<"$(colours_at "$1" "$2")" && [ "$red" -gt 0 ]; }
# The window's frame on the screen: "X Y WIDTH HEIGHT".
frame() {
    { xprop -id "$window" _NET_FRAME_EXTENTS && xwininfo -id "$window"; } | awk '
        /^_NET_FRAME_EXTENTS/ {gsub(/,/, ""); l = $3; r = $4; t = $5; b = $6}
        /Absolute upper-left X/ {x = $4} /Absolute upper-left Y/ {y = $4}
        /^ *Width:/ {w = $2} /^ *Height:/ {h = $2}
        END {print x - l, y - t, w + l + r, h + t + b}'
}
# Whether the frame is $1; with no $1, whether it is the one seen 1.5 s before (the window shows
# at once and moves to its place once the window manager has framed it, which can take a second).
frame_is() {
    local expected=${1-$now_frame}
    [ $# -gt 0 ] || sleep 1.5
    now_frame=$(frame)
    [ "$now_frame" = "$expected" ]
}
placement() { grep -E '^(Left|Top|Width|Height)=' "$ini" | sort | tr '\n' ' '; }

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
written=$(placement) first_frame="" now_frame=""
for cycle in $(seq 10); do
    start_reader
    [ -n "$first_frame" ] || { retry 10 frame_is || fail "the window kept moving ($now_frame)"; }
    first_frame=${first_frame:-$now_frame}
    retry 100 frame_is "$first_frame" || fail "cycle $cycle: the frame moved from $first_frame to $now_frame"
    close_reader
    [ "$(placement)" = "$written" ] ||
        fail "cycle $cycle: the placement changed from '$written' to '$(placement)'"
done
echo "ten reopen cycles: frame $first_frame, stored $written"

# ---------------------------------------------------------------- keys
setxkbmap ara || skip "the Arabic keyboard layout is not available"
# What the keys where Z and X are (X11 key codes 52 and 53) type under this layout.
read -r key_z key_x <<<"$(xmodmap -pke | awk '$2 == 52 {z = $4} $2 == 53 {x = $4} END {print z, x}')"
case "$key_z$key_x" in Arabic_*Arabic_*) ;; *) fail "the Z and X keys type '$key_z' and '$key_x'" ;; esac
start_reader
press "$key_z" 101 "$key_z" 102 "$key_z" 103 "$key_x" 102 Left 103 Next 104
close_reader
[ "$(setting Pageno)" = 104 ] || fail "after closing the stored page is $(setting Pageno), not 104"
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
retry 50 is clipboard 2:255 || fail "clicking the Throne Verse's text at $vx,$vy gave '$(clipboard)'"

read -r nx ny ncolour <<<"$(link '#num2')"
[ -n "${ny:-}" ] && [ "$ncolour" != "#ff0000" ] || fail "#num2 is not in view or already red"
red_at "$nx" "$ny"
[ "$red" = 0 ] || fail "red pixels at the number before the click"
xdotool mousemove "$nx" "$ny" click 1
wait_colour '#num2' '#ff0000'
retry 50 red_at "$nx" "$ny" || fail "no red pixels at the clicked number $nx,$ny"
[ "$(setting BookmarkPage)" = "042" ] && [ "$(setting BookmarkAya)" = "2" ] ||
    fail "the bookmark stored is '$(setting BookmarkPage)' '$(setting BookmarkAya)', not 042 2"
is clipboard 2:255 || fail "the number click changed the clipboard to '$(clipboard)'"
echo "verse number at $nx,$ny -> painted ($red red pixels), stored"
close_reader
start_reader
wait_colour '#num2' '#ff0000'
# The bookmarked number red on the screen, another blue (painting may come after the report).
restored() {
    read -r nx ny _ <<<"$(link '#num2')"
    read -r ox oy _ <<<"$(link '#num1')"
    read -r _ other_red _ other_blue <<<"$(colours_at "$ox" "$oy")"
    red_at "$nx" "$ny" && [ "$other_red" -eq 0 ] && [ "$other_blue" -gt 0 ]
}
retry 100 restored ||
    fail "after the restart: $red red pixels at the bookmark, $other_red / $other_blue red / blue at another number"
echo "after the restart: bookmarked number red ($red pixels), the other blue ($other_blue pixels)"

# ---------------------------------------------------------------- SIGTERM
press z 043 z 044
kill -TERM "$reader_pid"
wait_reader
[ "$(setting Pageno)" = "44" ] || fail "after SIGTERM the stored page is $(setting Pageno), not 44"
echo "PASSED"
