#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The equalizer under a real X server with a window manager (Xvfb, openbox),
# driven by real input (xdotool): it opens with its frame right beside the
# converter window's frame, top edges level, also after the converter window
# was dragged elsewhere; and a click into its plot area takes the focus, so a
# range typed into the top box is applied (the curve moves up).
# Usage: run_placement_check.sh BRENVIK. Exit 77: the tools are missing.
set -euo pipefail
brenvik=$1

for tool in Xvfb openbox xdotool xwininfo xprop import convert; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

work=$(mktemp -d)
pids=()
cleanup() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }
# Polls `$@` for up to five seconds.
until_true() {
    for _ in $(seq 50); do "$@" && return 0; sleep 0.1; done
    return 1
}

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
until_true test -s "$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=:$(head -n1 "$work/display")
openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids+=($!)
until_true sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' || fail "openbox did not start"

# The program picks its platform itself, as on a desktop. Under the
# sanitizers: libxkbcommon-x11 hands strndup a counted buffer without a
# closing NUL, which strict string checks report as an overflow.
ASAN_OPTIONS="${ASAN_OPTIONS:-}:strict_string_checks=0" \
    env -u QT_QPA_PLATFORM "$brenvik" VELMTOWAV >"$work/brenvik.log" 2>&1 &
pids+=($!)
find_window() { timeout 10 xdotool search --sync --onlyvisible --name "$1" | head -n1; }
converter=$(find_window '^Brenvik 2\.5$') || fail "no converter window: $(cat "$work/brenvik.log")"

# "left top width height" of a window's frame: its client area widened by
# the frame extents the window manager announces.
frame() {
    local info extents
    info=$(xwininfo -id "$1")
    extents=$(xprop -id "$1" _NET_FRAME_EXTENTS | grep -o '[0-9]\+, [0-9]\+, [0-9]\+, [0-9]\+' || echo "0, 0, 0, 0")
    IFS=', ' read -r l r t b <<<"$extents"
    awk -v l="$l" -v r="$r" -v t="$t" -v b="$b" '
        /Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
        /Width:/ { w = $NF } /Height:/ { h = $NF }
        END { print x - l, y - t, w + l + r, h + t + b }' <<<"$info"
}
settled() { local a; a=$(frame "$1"); sleep 0.3; [ "$a" = "$(frame "$1")" ]; }

# Opens the equalizer with a click on the octave-filter box and checks its
# frame against the converter window's.
check_beside() {
    until_true settled "$converter" || fail "the converter window does not settle"
    read -r cx cy cw _ <<<"$(frame "$converter")"
    xdotool mousemove --window "$converter" 280 136 click 1
    equal=$(find_window '^Octave Band Equalizer$') || fail "the equalizer did not open"
    until_true settled "$equal" || fail "the equalizer does not settle"
    read -r ex ey _ _ <<<"$(frame "$equal")"
    echo "$1: converter frame at $cx,$cy (width $cw), equalizer frame at $ex,$ey"
    [ "$ex,$ey" = "$((cx + cw)),$cy" ] || fail "$1: the equalizer's frame should be at $((cx + cw)),$cy"
}

xprop -id "$converter" _NET_FRAME_EXTENTS | grep -q '= [0-9]' || fail "openbox drew no frame"
check_beside "as opened"

# The range top typed into its box and left by a click between two sliders:
# the flat curve moves from the middle (client y 166) up to y 124.
curve_red() {
    import -window "$equal" "$work/equal.png"
    convert "$work/equal.png" -format '%[fx:int(255*p{129,124}.r)] %[fx:int(255*p{129,124}.g)]' info: \
        | awk '{ exit !($1 > 150 && $2 < 60) }'
}
xdotool mousemove --window "$equal" 276 68 click 1
xdotool type --delay 50 "20"
xdotool mousemove --window "$equal" 129 200 click 1
until_true curve_red || fail "a click into the plot did not apply the range typed into the top box"
echo "a click into the plot applied the top of the range"

# Cancel, drag the converter window by its title bar, and open again.
xdotool mousemove --window "$equal" 210 360 click 1
until_true sh -c "! xwininfo -id $equal 2>/dev/null | grep -q IsViewable" || fail "Cancel did not close the equalizer"
read -r cx cy _ _ <<<"$(frame "$converter")"
xdotool mousemove $((cx + 150)) $((cy + 8)) mousedown 1
for step in 1 2 3 4 5 6 7 8 9 10; do
    xdotool mousemove $((cx + 150 + 15 * step)) $((cy + 8 + 9 * step)); sleep 0.05
done
xdotool mouseup 1
until_true settled "$converter"
read -r mx my _ _ <<<"$(frame "$converter")"
[ "$mx,$my" != "$cx,$cy" ] || fail "dragging the title bar did not move the converter window"
check_beside "after moving"
echo "PASS"
