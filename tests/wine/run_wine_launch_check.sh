#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs the Windows launch check under Wine, in one Wine session:
#   run_wine_launch_check.sh <build folder> <work folder> <tst_wine_start>
# tst_wine_start, copied into a folder that holds the Linux stand-ins, the
# Windows stand-ins and the starters as Brenvik's own folder would, starts
# every case through the Linux start path, which must pick the Windows
# stand-ins and run them through Wine and the starter with the exact line.
# Exit 77 (reported as skipped) when Wine or the cross-built Windows parts
# are missing; otherwise the checks' own result.
set -euo pipefail

build=$1
work=$2
hosttest=$3

skip() {
    echo "SKIPPED: $*"
    exit 77
}

windows=$build/windows-x86_64/bin
windows32=$build/windows-i686/bin
for part in "$windows/ZARVO.EXE" "$build/bin/brenvik-winstart64.exe"; do
    [ -f "$part" ] || skip "the mingw-w64 cross-built Windows parts are missing ($part)"
done
command -v wine >/dev/null || skip "Wine is not installed (no wine on the PATH)"
# The 64-bit loader creates the prefix and stands in for a Wine without its
# 32-bit part; Debian's "wine" wrapper prefers the 32-bit one where it is.
wine64=$(command -v wine64 || { [ -x /usr/lib/wine/wine64 ] && echo /usr/lib/wine/wine64; } || true)
[ -n "$wine64" ] || skip "Wine's 64-bit loader (wine64) is not installed"
# Debian's 32-bit loader, where it runs here.
wine32=
if [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
    wine32=/usr/lib/wine/wine
fi
wineserver=$(command -v wineserver || { [ -x /usr/lib/wine/wineserver ] && echo /usr/lib/wine/wineserver; } \
             || true)

mkdir -p "$work"

# Headless and quiet: a prefix of its own under the build folder, no display,
# no debug channels, no offer to install Mono or Gecko.
export WINEPREFIX=$work/wineprefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
stop_wineserver() {
    [ -n "$wineserver" ] && "$wineserver" -k 2>/dev/null || true
}
trap stop_wineserver EXIT

# A prefix made before wine32 was installed has no 32-bit part: made anew.
if [ -n "$wine32" ] && [ -f "$WINEPREFIX/system.reg" ] \
    && [ ! -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; then
    rm -rf "$WINEPREFIX"
fi
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    started=$SECONDS
    "$wine64" wineboot --init >/dev/null 2>&1 || true
    [ -n "$wineserver" ] && "$wineserver" -w
    echo "Created the Wine prefix $WINEPREFIX in $((SECONDS - started)) s"
fi
# One wineserver for the whole run: starting Wine costs seconds otherwise.
[ -z "$wineserver" ] || "$wineserver" -p || true

bin="$work/Brenvik Bin"
bin32="$work/Brenvik Bin 32"
rm -rf "$bin" "$bin32"
mkdir -p "$bin" "$bin32"
cp "$hosttest" "$bin/"
for role in zarvo keldt tombra pashet frelio; do
    cp "$build/bin/$role" "$bin/"
done
cp "$windows"/{ZARVO.EXE,KELDT.EXE,TOMBRA.EXE,pashet.exe,frelio.exe} "$bin/"
cp "$build"/bin/brenvik-winstart*.exe "$bin/"
# Copied from Windows media, converters often lack the execute bit.
chmod a-x "$bin"/*.exe
# One 32-bit converter runs from a folder of its own (its 32-bit starter
# beside it) through wine32, where that works here: it needs wine32 and a
# computer that runs 32-bit programs, perhaps emulated, which then costs a
# minute or more for that one start.
if [ -f "$windows32/TOMBRA.EXE" ]; then
    cp "$windows32/TOMBRA.EXE" "$build/bin/brenvik-winstart32.exe" "$bin32/"
    chmod a-x "$bin32"/*.exe
    if [ -z "$wine32" ]; then
        echo "NOTE: the 32-bit stand-in is not run: this computer has no working wine32" \
             "($(if [ -e /usr/lib/wine/wine ]; then echo "its 32-bit loader cannot run here"; else echo "not installed"; fi))"
    fi
else
    echo "NOTE: no 32-bit stand-in was cross-built (g++-mingw-w64-i686-posix is missing)"
    wine32=
fi
# Wine starts take minutes on a busy machine: QtTest's watchdog
# (five minutes a test function by default) would abort them half done; the
# CTest timeout still bounds the whole run.
export QTEST_FUNCTION_TIMEOUT=1500000
BRENVIK_TEST_WORK="$work/test" BRENVIK_CONVERTER_RECORD="$work/record.jsonl" \
BRENVIK_TEST_WINE32=${wine32:+1} BRENVIK_TEST_BIN32="$bin32" BRENVIK_TEST_WINE64_LOADER="$wine64" \
    "$bin/$(basename "$hosttest")"
