#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The equalizer under X with a window manager (x_session.sh), driven by xdotool:
# its frame opens right beside the converter window's, top edges level, also
# after a drag; a click into its plot applies a range typed into the top box.
#   run_placement_check.sh BRENVIK
brenvik=$1
source "$(dirname "$0")/x_session.sh"
"$brenvik" VELMTOWAV >"$work/brenvik.log" 2>&1 &
pids+=($!)
find_window() { timeout 10 xdotool search --sync --onlyvisible --name "$1" | head -n1; }
converter=$(find_window '^Brenvik 2\.5$') || fail "no converter window: $(cat "$work/brenvik.log")"

# "left top width height" of a window's frame, the window manager's window
# that holds it.
frame() {
    xwininfo -id "$(xwininfo -tree -id "$1" | awk '/Parent window id/ { print $4 }')" | awk '
        /Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF } /Width:/ { w = $NF }
        /Height:/ { h = $NF } END { print x, y, w, h }'
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
    [ "$ex,$ey" = "$((cx + cw)),$cy" ] || fail "$1: the equalizer's frame is at $ex,$ey, not at $((cx + cw)),$cy"
}
check_beside "as opened"

# The range top typed into its box and left by a click between two sliders:
# the flat curve moves from the middle (client y 166) up to y 124.
curve_red() {
    import -window "$equal" "$work/equal.png"
    convert "$work/equal.png" -format '%[fx:int(255*p{129,124}.r)] %[fx:int(255*p{129,124}.g)]' info: \
        | awk '{ exit !($1 > 150 && $2 < 60) }'
}
xdotool mousemove --window "$equal" 276 68 click 1 type --delay 50 "20"
xdotool mousemove --window "$equal" 129 200 click 1
until_true curve_red || fail "a click into the plot did not apply the range typed into the top box"

# Cancel, drag the converter window by its title bar, and open again.
xdotool mousemove --window "$equal" 210 360 click 1
until_true sh -c "! xwininfo -id $equal 2>/dev/null | grep -q IsViewable" || fail "Cancel did not close the equalizer"
read -r cx cy _ _ <<<"$(frame "$converter")"
xdotool mousemove $((cx + 150)) $((cy + 8)) mousedown 1 sleep 0.1 mousemove_relative 60 40 sleep 0.1 \
    mousemove_relative 90 50 sleep 0.1 mouseup 1
until_true settled "$converter"
read -r mx my _ _ <<<"$(frame "$converter")"
[ "$mx,$my" != "$cx,$cy" ] || fail "dragging the title bar did not move the converter window"
check_beside "after moving"
