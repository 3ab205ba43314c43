#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# A real X server with a window manager (Xvfb, openbox), ended with the
# script. "x_session.sh COMMAND ARGUMENT..." runs the command there; sourced,
# it leaves DISPLAY, $work (a scratch folder), $pids (ended at exit), fail
# and until_true to the script. Exit 77 (skipped): the tools are missing.
set -euo pipefail
for tool in Xvfb openbox xdotool xwininfo xprop xterm import convert; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
work=$(mktemp -d)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
# Polls `$@` for up to five seconds.
until_true() {
    for _ in $(seq 50); do "$@" && return 0; sleep 0.1; done
    return 1
}
# Polls `$@` for up to thirty seconds: a loaded machine, running several
# of these sessions at once, may take that long to start the server.
until_started() {
    for _ in $(seq 6); do until_true "$@" && return 0; done
    return 1
}
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
# The display's number, whole: written with its line end.
until_started sh -c '[ "$(tail -c1 "$1" | wc -l)" = 1 ]' sh "$work/display" \
    || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=:$(head -n1 "$work/display")
until_started xprop -root >/dev/null 2>&1 || fail "Xvfb does not answer: $(cat "$work/xvfb.log")"
# Now and then, with several sessions starting at once, openbox cannot open
# the display that answered a moment ago: it is started again.
wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; }
for _ in 1 2 3; do
    openbox --sm-disable >"$work/openbox.log" 2>&1 &
    pids+=($!)
    until_started sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" || ! kill -0 '$!' 2>/dev/null' || true
    wm_running && break
done
wm_running || fail "openbox did not start: $(cat "$work/openbox.log")"

# Programs pick their platform themselves. Not ours, under the sanitizers:
# libxkbcommon-x11's strndup of a buffer without NUL, libdbus's kept buffer.
unset QT_QPA_PLATFORM
printf 'leak:libdbus-1.so\n' >"$work/lsan.supp"
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:strict_string_checks=0"
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$work/lsan.supp:print_suppressions=0"
[ "${BASH_SOURCE[0]}" != "$0" ] || "$@"
