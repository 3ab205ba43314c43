#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Takes the README's screenshots of both windows: starts Brenvik in a
# virtual X display, opens the equalizer from the octave-filter box, and
# saves docs/brenvik.png and docs/equal.png.
# Needs: xvfb, xdotool, imagemagick (Debian packages) and a built build/bin/brenvik.
set -euo pipefail
cd "$(dirname "$0")/.."

display=:77
Xvfb "$display" -screen 0 1024x640x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true' EXIT
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

build/bin/brenvik VELMTOWAV >/dev/null 2>&1 &
app=$!
trap 'kill "$app" 2>/dev/null || true; kill "$xvfb" 2>/dev/null || true' EXIT
window=$(xdotool search --sync --name "^Brenvik 2.5$" | head -n1)
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$window")"
# The octave-filter box lies at 272,128 in the window (twips 4080,1920).
xdotool mousemove --window "$window" 280 136 click 1
xdotool search --sync --name "^Octave Band Equalizer$" >/dev/null
sleep 0.8
import -window root /tmp/brenvik-screen.png
convert /tmp/brenvik-screen.png -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage docs/brenvik.png
equal=$(xdotool search --name "^Octave Band Equalizer$" | head -n1)
eval "$(xdotool getwindowgeometry --shell "$equal")"
convert /tmp/brenvik-screen.png -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage docs/equal.png
cp /tmp/brenvik-screen.png /tmp/brenvik-both.png
echo "wrote docs/brenvik.png and docs/equal.png"
