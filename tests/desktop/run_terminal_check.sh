#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# A started converter's own terminal window, on a real X server with a
# window manager (Xvfb, openbox) and xterm as x-terminal-emulator:
#   run_terminal_check.sh <tst_converter_terminal> <build folder> <work folder>
# The test's standard output goes to a file, as a program started from the
# desktop's menu has none on a terminal. The Windows row runs where Wine and
# the cross-built stand-ins are there. Exit 77: the tools are missing.
set -euo pipefail
test=$1
build=$2
work=$3

for tool in Xvfb openbox xdotool xprop xterm; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

rm -rf "$work"
mkdir -p "$work/Linux Bin"
pids=()
cleanup() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
    [ -z "${wineserver:-}" ] || "$wineserver" -k 2>/dev/null || true
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

# The converter folders: Brenvik's console program beside the stand-ins.
ln -s "$build/bin/brenvik-console" "$build/bin/pashet" "$work/Linux Bin/"
export BRENVIK_TEST_NATIVE_BIN="$work/Linux Bin"
wine64=$(command -v wine64 || { [ -x /usr/lib/wine/wine64 ] && echo /usr/lib/wine/wine64; } || true)
if [ -n "$wine64" ] && command -v wine >/dev/null && [ -f "$build/windows-x86_64/bin/pashet.exe" ]; then
    mkdir -p "$work/Wine Bin"
    ln -s "$build/bin/brenvik-console" "$work/Wine Bin/"
    cp "$build/windows-x86_64/bin/pashet.exe" "$build"/bin/brenvik-winstart*.exe "$work/Wine Bin/"
    export BRENVIK_TEST_WINE_BIN="$work/Wine Bin"
    # The 64-bit loader: Debian's wine wrapper would pick wine32 where it is
    # installed, which runs the 64-bit stand-in no better and, emulated on
    # some machines, takes minutes.
    mkdir -p "$work/wine64 only"
    printf '#!/bin/sh\nexec "%s" "$@"\n' "$wine64" >"$work/wine64 only/wine"
    chmod +x "$work/wine64 only/wine"
    export PATH="$work/wine64 only:$PATH"
    # A prefix of its own, kept between runs: making one takes seconds.
    export WINEPREFIX=$build/tests/desktop/wineprefix WINEDLLOVERRIDES="mscoree,mshtml="
    wineserver=$(command -v wineserver || { [ -x /usr/lib/wine/wineserver ] && echo /usr/lib/wine/wineserver; } || true)
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        env -u DISPLAY WINEDEBUG=-all "$wine64" wineboot --init >/dev/null 2>&1 || true
        [ -z "$wineserver" ] || "$wineserver" -w
    fi
else
    echo "NOTE: no Windows row: Wine or the cross-built stand-ins are missing"
fi

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=:$(head -n1 "$work/display")
openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id" && break; sleep 0.1; done

# Under the sanitizers: libxkbcommon-x11 hands strndup a counted buffer
# without a closing NUL, which strict string checks report as an overflow.
# The D-Bus library that Qt's X11 platform loads keeps a buffer to the end.
printf 'leak:libdbus-1.so\n' >"$work/lsan.supp"
status=0
ASAN_OPTIONS="${ASAN_OPTIONS:-}:strict_string_checks=0" BRENVIK_TEST_WORK=$work \
LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$work/lsan.supp:print_suppressions=0" \
    env -u QT_QPA_PLATFORM "$test" >"$work/output.txt" 2>&1 </dev/null || status=$?
cat "$work/output.txt"
exit $status
