#!/usr/bin/env bash
# Runs the Windows launch check under Wine:
#   run_wine_launch_check.sh <case generator> <source folder> <work folder> <cmake>
# Exit 77 (reported as skipped) when Wine or the mingw-w64 cross compiler is
# not installed; otherwise the check's own result.
set -euo pipefail

generator=$1
source=$2
work=$3
cmake=$4

skip() {
    echo "SKIPPED: $*"
    exit 77
}

command -v x86_64-w64-mingw32-g++-posix >/dev/null || command -v x86_64-w64-mingw32-g++ >/dev/null \
    || skip "the mingw-w64 cross compiler (x86_64-w64-mingw32-g++) is not installed"
# wine64 first: Debian's "wine" wrapper complains when the 32-bit half is missing.
wine=$(command -v wine64 || { [ -x /usr/lib/wine/wine64 ] && echo /usr/lib/wine/wine64; } \
       || command -v wine || true)
[ -n "$wine" ] || skip "Wine (wine64) is not installed"
wineserver=$(command -v wineserver || { [ -x /usr/lib/wine/wineserver ] && echo /usr/lib/wine/wineserver; } \
             || true)

mkdir -p "$work"
cases=$work/launch-cases.jsonl
"$generator" "$cases"

build=$work/mingw
generator_args=()
command -v ninja >/dev/null && generator_args=(-G Ninja)
if [ ! -f "$build/CMakeCache.txt" ]; then
    "$cmake" -S "$source/windows" -B "$build" "${generator_args[@]}" \
        -DCMAKE_TOOLCHAIN_FILE="$source/cmake/mingw-w64-x86_64.cmake" >/dev/null
fi
"$cmake" --build "$build"

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

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    started=$SECONDS
    "$wine" wineboot --init >/dev/null 2>&1 || true
    [ -n "$wineserver" ] && "$wineserver" -w
    echo "Created the Wine prefix $WINEPREFIX in $((SECONDS - started)) s"
fi

# Z: is the host's root folder in every Wine prefix.
windows_cases="Z:${cases//\//\\}"
"$wine" "$build/bin/wine_launch_check.exe" "$windows_cases"
