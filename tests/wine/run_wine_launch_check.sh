#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs tst_wine_start in one Wine session, from a folder that holds what
# Brenvik's own would: the Linux and the Windows stand-ins, the starters and
# the console program. Exit 77 (skipped): no Wine or no Windows parts.
#   run_wine_launch_check.sh <build folder> <work folder> <tst_wine_start>
set -euo pipefail
build=$1 work=$2 hosttest=$3
windows=$build/windows-x86_64/bin
skip() { echo "SKIPPED: $*"; exit 77; }
winepart() { command -v "$1" || { [ -x "/usr/lib/wine/$1" ] && echo "/usr/lib/wine/$1"; } || true; }
[ -f "$windows/ZARVO.EXE" ] && [ -f "$build/bin/brenvik-winstart64.exe" ] \
    || skip "the mingw-w64 cross-built Windows parts are missing"
command -v wine >/dev/null || skip "Wine is not installed (no wine on the PATH)"
# The 64-bit loader stands in for a Wine without its 32-bit part.
wine64=$(winepart wine64)
[ -n "$wine64" ] || skip "Wine's 64-bit loader (wine64) is not installed"
wineserver=$(winepart wineserver)
wine32=$(/usr/lib/wine/wine --version >/dev/null 2>&1 && echo 1 || true)
# The seeded-fault runs leave the 32-bit start out: it takes minutes where
# wine32 runs emulated, and no fault needs it.
[ -z "${BRENVIK_TEST_NO_WINE32:-}" ] || wine32=

# Headless and quiet, a prefix of its own, no offer to install Mono or Gecko.
mkdir -p "$work"
export WINEPREFIX=$work/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
trap 'rm -f "$WINEPREFIX/dosdevices/d:"; [ -z "$wineserver" ] || "$wineserver" -k 2>/dev/null || true' EXIT
# A prefix made before wine32 was installed has no 32-bit part: made anew.
[ -z "$wine32" ] || [ -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ] || rm -rf "$WINEPREFIX"
[ -f "$WINEPREFIX/system.reg" ] || "$wine64" wineboot --init >/dev/null 2>&1 || true
# One wineserver for the whole run: each start costs seconds otherwise.
[ -z "$wineserver" ] || { "$wineserver" -w; "$wineserver" -p || true; }
# Drive d: leads into the test's folder.
rm -rf "$work/test"
mkdir -p "$work/test/Brenvik Launch.1/Wörk Ü"
# A 32-bit prefix that a 64-bit converter cannot use.
mkdir -p "$work/test/prefix32"
printf 'WINE REGISTRY Version 2\n#arch=win32\n' >"$work/test/prefix32/system.reg"
ln -sfn "$work/test/Brenvik Launch.1" "$WINEPREFIX/dosdevices/d:"

bin="$work/Brenvik Bin" bin32="$work/Brenvik Bin 32" wine64only="$work/wine64 only"
rm -rf "$bin" "$bin32" "$wine64only"
mkdir -p "$bin" "$bin32" "$wine64only/bin" "$wine64only/lib/wine"
cp "$hosttest" "$build"/bin/{zarvo,keldt,tombra,pashet,frelio,brenvik-console} "$build"/bin/brenvik-winstart*.exe \
   "$windows"/{ZARVO.EXE,KELDT.EXE,TOMBRA.EXE,pashet.exe,frelio.exe} "$bin/"
# The stand-ins that open their argument, and one whose DLL (VELCORE.DLL) is left out.
cp "$windows"/{OPENER.EXE,OPENUTF8.EXE,OPENGUI.EXE,NEEDDLL.EXE} "$bin/"
# A Windows program cut short: its headers are there, its code is not.
head -c 2048 "$windows/OPENER.EXE" >"$bin/BROKEN.EXE"
# A Polish locale (code page 1250) of our own, which needs no root.
locales=$work/locales
rm -rf "$locales"
mkdir -p "$locales"
localedef -i pl_PL -f UTF-8 "$locales/pl_PL.UTF-8" >/dev/null 2>&1 \
    || { locales=; echo "NOTE: no pl_PL locale could be made (localedef and the package locales); its rows are skipped"; }
# One 32-bit converter, with its starter, through wine32 where that works.
cp "$build/windows-i686/bin/TOMBRA.EXE" "$build/bin/brenvik-winstart32.exe" "$bin32/" || wine32=
[ -n "$wine32" ] || echo "NOTE: no 32-bit stand-in is run (no working wine32, or no i686 cross compiler)"
# Copied from Windows media, converters often lack the execute bit.
find "$bin" "$bin32" -name '*.exe' -exec chmod a-x {} +
# A Wine without its 32-bit part, laid out as Debian's; a terminal emulator
# that puts what its window would show into a file.
ln -s "$wine64" "$wine64only/lib/wine/wine64"
printf '#!/bin/sh\nexec "$(dirname "$0")/../lib/wine/wine64" "$@"\n' >"$wine64only/bin/wine"
printf '#!/bin/sh\nshift 3\nexec "$@" </dev/null >"$0.out" 2>&1\n' >"$bin/terminal"
chmod +x "$wine64only/bin/wine" "$bin/terminal"
# Wine starts take minutes on a busy machine, past QtTest's five-minute
# watchdog; CTest's timeout bounds the run.
export QTEST_FUNCTION_TIMEOUT=1500000
BRENVIK_TEST_WORK="$work/test" BRENVIK_TEST_WINE32=$wine32 BRENVIK_TEST_LOCALES=$locales BRENVIK_TEST_BIN32=$bin32 \
BRENVIK_TEST_WINE64_ONLY="$wine64only/bin" "$bin/$(basename "$hosttest")"
