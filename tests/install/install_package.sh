#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# install_package.sh <build> <scratch> <search probe> <install dir> <expect manual 0|1> <cmake bin dir> <LICENSE>
#
# 1. cpack builds the .deb; its dependencies and file list are read with
#    dpkg-deb, and it is unpacked into a scratch root: every file in its
#    place, the bin/ link relative and pointing at the program.
# 2. What a distribution checks: lintian finds no error and no warning,
#    the AppStream data and the desktop entry validate, the manual page
#    renders without a warning, the copyright file carries the licence.
# 3. The unpacked program is started through its bin/ link, headless, until
#    its window is shown; the program search, given that link, finds all
#    five converters in the unpacked program folder only, and each runs.
set -uo pipefail

build=$1 scratch=$2 probe=$3 installdir=$4 expect_manual=$5 cmakebin=$6 licence=$7
cpack=$cmakebin/cpack
cmake=$cmakebin/cmake

for tool in "$cpack" dpkg-deb dpkg; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
# The checkers are not optional: a package test that quietly skipped them
# would let the package drift. ./dev test installs them.
for tool in lintian appstreamcli desktop-file-validate man lexgrog; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed (./dev test installs it)"; exit 1; }
done

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
converters=(zarvo keldt tombra pashet frelio)

rm -rf "$scratch"
mkdir -p "$scratch/empty"

echo "== cpack"
if ! (cd "$scratch" && "$cpack" -G DEB -B "$scratch/package" --config "$build/CPackConfig.cmake") \
        >"$scratch/cpack.log" 2>&1; then
    cat "$scratch/cpack.log"
    fail "cpack failed"
    exit 1
fi
arch=$(dpkg --print-architecture)
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
deb=$scratch/package/brenvik_${version}_$arch.deb
if [[ -z $version || ! -f $deb ]]; then
    ls "$scratch/package"
    fail "no package brenvik_<version>_$arch.deb"
    exit 1
fi
echo "built $(basename "$deb")"

field() { dpkg-deb -f "$deb" "$1"; }
# Without the Qt libraries among the dependencies apt would install a
# program that cannot start.
depends=$(field Depends)
for lib in libqt6widgets6 libqt6gui6 libqt6core6 fonts-liberation2; do
    [[ $depends == *"$lib"* ]] || fail "Depends lacks $lib: '$depends'"
done

[[ $(field Recommends) == *wine* ]] || fail "the package does not recommend wine: '$(field Recommends)'"

dpkg-deb -c "$deb" | awk '{ print $6 }' | sed 's|^\./|/|' | sort >"$scratch/contents"
# The starters for Windows converters, wherever the build made them.
for starter in "$build"/bin/brenvik-winstart*.exe; do
    [[ -e $starter ]] || continue
    grep -qx -- "/usr/$installdir/${starter##*/}" "$scratch/contents" || fail "package lacks ${starter##*/}"
done
for path in /usr/share/icons/hicolor/scalable/apps/{brenvik,brenvik-equalizer}.svg; do
    grep -qx -- "$path" "$scratch/contents" || fail "package lacks $path"
done
# Only /usr belongs to a package of this kind; nothing of the build tree.
if grep -v '^/usr' "$scratch/contents" | grep -vx '/'; then
    fail "package holds files outside /usr"
fi

dpkg-deb -x "$deb" "$scratch/root" || fail "dpkg-deb -x failed"
# The unpacked tree: program, converters, a relative link to the program.
dir=$scratch/root/usr/$installdir
[[ -x $dir/brenvik && ! -L $dir/brenvik ]] || fail "no program $dir/brenvik"
[[ -x $dir/brenvik-console ]] || fail "no console program $dir/brenvik-console"
for c in "${converters[@]}"; do
    [[ -x $dir/$c ]] || fail "no converter $dir/$c"
done
link=$scratch/root/usr/bin/brenvik
if [[ ! -L $link ]]; then
    fail "/usr/bin/brenvik is not a link"
else
    target=$(readlink "$link")
    [[ $target == /* ]] && fail "/usr/bin/brenvik -> $target is absolute; it breaks below a DESTDIR or chroot"
    [[ $(readlink -f "$link") == "$(readlink -f "$dir/brenvik")" ]] \
        || fail "/usr/bin/brenvik -> $target does not lead to $dir/brenvik"
fi
desktop-file-validate "$scratch/root/usr/share/applications/org.brenvik.Brenvik.desktop" \
    || fail "the desktop entry is missing or does not validate"
if [[ $expect_manual == 1 ]]; then
    [[ -s $dir/Manual/MBrenvik.mht ]] || fail "no manual $dir/Manual/MBrenvik.mht"
fi

echo "== lintian"
# Overrides are ignored here, so that none can hide an error or a warning;
# an override may only quieten an informational tag, and must say why.
lintian --no-override --display-info --fail-on error,warning "$deb" \
    >"$scratch/lintian.out" 2>"$scratch/lintian.err"
status=$?
cat "$scratch/lintian.out"
# As root lintian complains about that on standard error; that is no tag.
grep -vx 'running with root privileges is not recommended!' "$scratch/lintian.err"
if ((status)) || grep -q '^[EW]: ' "$scratch/lintian.out"; then
    fail "lintian reports errors or warnings (status $status)"
fi
overrides=$scratch/root/usr/share/lintian/overrides/brenvik
if [[ -f $overrides ]] && awk '/^[^#]/ && prev !~ /^#/ { bad = 1 } { prev = $0 } END { exit !bad }' "$overrides"; then
    fail "a lintian override in $overrides does not say why (a comment line above it)"
fi

echo "== AppStream data, desktop entry and manual page"
appstreamcli validate-tree --no-net "$scratch/root" || fail "the AppStream data does not validate"
man_page=$scratch/root/usr/share/man/man1/brenvik.1.gz
LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings=all -E UTF-8 -l "$man_page" >/dev/null 2>"$scratch/man.err"
if [[ -s $scratch/man.err ]]; then
    cat "$scratch/man.err"
    fail "the manual page renders with warnings"
fi
# The copyright file's licence is the project's LICENSE, word for word.
sed -n '/^ Permission/,$p' "$scratch/root/usr/share/doc/brenvik/copyright" \
    | sed 's/^ //; s/^\.$//' >"$scratch/copyright-licence"
sed -n '/^Permission/,$p' "$licence" | diff -u - "$scratch/copyright-licence" \
    || fail "the licence in the copyright file differs from LICENSE"

echo "== the unpacked program, started through its link"
started=$(cd "$scratch/empty" && env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen \
              BRENVIK_QUIT_WHEN_SHOWN=1 PATH=/usr/bin:/bin \
              timeout 30 "$scratch/root/usr/bin/brenvik" TIMTOWAV 2>&1)
status=$?
echo "$started"
[[ $status == 0 ]] || fail "the unpacked program ended with status $status"
grep -q '^brenvik: window shown after [0-9]* ms$' <<<"$started" \
    || fail "the unpacked program did not report its window as shown"

echo "== the program search in the unpacked program folder"
folder=$(readlink -f "$scratch/root/usr/$installdir")
found=$("$probe" "$scratch/root/usr/bin/brenvik" "$scratch/empty") || fail "the search missed a converter"
echo "$found"
for c in "${converters[@]}"; do
    path=$(grep -x -- "$folder/$c" <<<"$found")
    if [[ -z $path ]]; then
        fail "$c was not found in $folder"
        continue
    fi
    record=$scratch/record-$c.jsonl
    (cd "$scratch/empty" && BRENVIK_CONVERTER_RECORD=$record "$path" >/dev/null 2>&1)
    grep -q "^{\"program\": \"$c\"" "$record" 2>/dev/null || fail "$path did not run as $c"
done
# The same search with the program's folder emptied must come up with
# nothing, or the lookups above proved nothing about that folder.
mkdir -p "$scratch/bare/usr/bin" "$scratch/bare/usr/$installdir"
cp "$folder/brenvik" "$scratch/bare/usr/$installdir/"
cp -P "$scratch/root/usr/bin/brenvik" "$scratch/bare/usr/bin/"
if "$probe" "$scratch/bare/usr/bin/brenvik" "$scratch/empty" >/dev/null 2>&1; then
    fail "the search found converters where there are none"
fi

if ((failures)); then
    echo "$failures check(s) failed"
    exit 1
fi
rm -rf "$scratch"
echo "all checks passed"
