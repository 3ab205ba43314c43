#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# install_package.sh <build> <scratch> <install dir> <expect manual 0|1> <cmake bin dir> <LICENSE>
# Builds the .deb with cpack, checks it as a distribution would (lintian, AppStream,
# desktop entry, manual page, copyright), unpacks it into a scratch root and starts the
# program there through its bin/ link, headless, until its window is shown, and through
# its desktop entry under X (desktop_entry.sh).
set -uo pipefail
build=$1 scratch=$2 installdir=$3 expect_manual=$4 cmakebin=$5 licence=$6

command -v dpkg-deb >/dev/null && [[ -x $cmakebin/cpack ]] || { echo "SKIP: cpack or dpkg-deb is missing"; exit 77; }
# The checkers are not optional (./dev test installs them): a skipped check lets the package drift.
for tool in lintian appstreamcli desktop-file-validate man; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed (./dev test installs it)"; exit 1; }
done
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
rm -rf "$scratch" && mkdir -p "$scratch/empty"

(cd "$scratch" && "$cmakebin/cpack" -G DEB -B "$scratch/package" --config "$build/CPackConfig.cmake") \
    >"$scratch/cpack.log" 2>&1 || { cat "$scratch/cpack.log"; echo "FAIL: cpack"; exit 1; }
deb=$(ls "$scratch"/package/brenvik_*_"$(dpkg --print-architecture)".deb) || { echo "FAIL: no package"; exit 1; }
# Without the Qt libraries among the dependencies apt would install a program that cannot start.
for lib in libqt6widgets6 libqt6gui6 libqt6core6 fonts-liberation2; do
    [[ $(dpkg-deb -f "$deb" Depends) == *"$lib"* ]] || fail "Depends lacks $lib"
done
# What a desktop user needs besides: Wine for Windows converters, the opener for the manual, a
# terminal for a converter started from the menu; Qt's Wayland plugin for a native Wayland start.
recommends=$(dpkg-deb -f "$deb" Recommends)
for wanted in wine xdg-utils "xterm | x-terminal-emulator"; do
    [[ ", $recommends," == *", $wanted,"* ]] || fail "Recommends \"$recommends\" lacks $wanted"
done
[[ $(dpkg-deb -f "$deb" Suggests) == qt6-wayland ]] || fail "Suggests is not qt6-wayland"

dpkg-deb -x "$deb" "$scratch/root" || fail "dpkg-deb -x failed"
dir=$scratch/root/usr/$installdir link=$scratch/root/usr/bin/brenvik
for manual in MBrenvik.mht MBrenvik.html; do
    [[ $expect_manual == 0 || -s $dir/Manual/$manual ]] || fail "no manual $dir/Manual/$manual"
done
# What the program starts must lie beside it: the converters, the console program, the Windows starters.
for f in zarvo keldt tombra pashet frelio brenvik-console $(cd "$build/bin" && ls brenvik-winstart*.exe 2>/dev/null); do
    [[ -x $dir/$f || ($f == *.exe && -f $dir/$f) ]] || fail "the package lacks $dir/$f beside the program"
done
# The Windows starters stripped as the Linux programs are: no debug sections left.
for f in "$dir"/brenvik-winstart*.exe; do
    [[ -f $f ]] || continue
    sections=$(x86_64-w64-mingw32-objdump -h "$f" 2>&1) || fail "objdump cannot read $f: $sections"
    [[ $sections != *.debug_* ]] || fail "$f is not stripped"
done
[[ $(file -b "$scratch/root/usr/share/icons/hicolor/48x48/apps/brenvik.png") == "PNG image data, 48 x 48,"* ]] \
    || fail "no 48x48 PNG icon beside the SVG"

# Overrides are ignored here, so that none can hide an error or a warning.
lintian --no-override --display-info --fail-on error,warning "$deb" >"$scratch/lintian.out" 2>&1 \
    || fail "lintian reports errors or warnings"
grep -vx 'running with root privileges is not recommended!' "$scratch/lintian.out"
appstreamcli validate-tree --no-net "$scratch/root" || fail "the AppStream data does not validate"
desktop-file-validate "$scratch/root/usr/share/applications/org.brenvik.Brenvik.desktop" \
    || fail "the desktop entry is missing or does not validate"
warnings=$(MANWIDTH=80 man --warnings=all -E UTF-8 -l "$scratch/root/usr/share/man/man1/brenvik.1.gz" 2>&1 >/dev/null)
[[ -z $warnings ]] || fail "the manual page renders with warnings: $warnings"
sed -n '/^ Permission/,$p' "$scratch/root/usr/share/doc/brenvik/copyright" | sed 's/^ //; s/^\.$//' \
    | diff -u <(sed -n '/^Permission/,$p' "$licence") - || fail "the licence in the copyright file differs from LICENSE"

started=$(cd "$scratch/empty" && env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen \
          BRENVIK_QUIT_WHEN_SHOWN=1 PATH=/usr/bin:/bin timeout 30 "$link" TIMTOWAV 2>&1) \
    || fail "the unpacked program ended with status $?"
echo "$started"
grep -q '^brenvik: window shown after [0-9]* ms$' <<<"$started" || fail "the unpacked program did not report its window"

# The desktop entry used as a desktop menu uses it, where the numbers have a decimal comma.
"$BASH" "$(dirname "$0")/desktop_entry.sh" "$scratch/root" || fail "the desktop entry (status $?)"

((failures)) && { echo "$failures check(s) failed"; exit 1; }
rm -rf "$scratch"
echo "all checks passed"
