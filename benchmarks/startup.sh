#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Start-up benchmark: time from process start until the converter window is
# shown, and peak memory, for brenvik and for bare_window (a plain Qt window
# with the same controls, the floor the toolkit sets), run alternately.
#
#   benchmarks/startup.sh [runs]        (default 30 runs of each)
#
# BUILD names the build folder (default: build/ beside this folder). Runs
# headless under QT_QPA_PLATFORM=offscreen and, when Xvfb is installed, also
# under a virtual X display. Peak memory needs Debian's "time" package.
set -euo pipefail

runs=${1:-30}
[[ $runs =~ ^[1-9][0-9]*$ ]] || { echo "usage: $0 [runs]" >&2; exit 2; }
here=$(cd "$(dirname "$0")" && pwd)
build=${BUILD:-$here/../build}
brenvik=$build/bin/brenvik
bare=$build/bin/bare_window
for program in "$brenvik" "$bare"; do
    [[ -x $program ]] || {
        echo "$program is missing; build first: cmake --build $build" >&2
        exit 2
    }
done

timer=/usr/bin/time
[[ -x $timer ]] || { timer=; echo "note: /usr/bin/time missing (Debian package \"time\"); no peak memory" >&2; }

scratch=$(mktemp -d)
xvfb_pid=
cleanup() {
    [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT

# One run: prints "<ms to shown line> <peak RSS in kB>". The clock starts in
# this shell just before the fork and stops when the line arrives, so it
# includes loading the libraries, which the program's own count cannot see.
run_once() {
    local program=$1 shown= rss=NA line start
    shift
    start=$EPOCHREALTIME
    while IFS= read -r line; do
        case $line in
            *"window shown after"*) shown=$EPOCHREALTIME ;;
            "peak-rss-kb "*) rss=${line#peak-rss-kb } ;;
        esac
    done < <(BRENVIK_NO_CONVERTER_WINDOW=1 BRENVIK_QUIT_WHEN_SHOWN=1 ${timer:+$timer -f "peak-rss-kb %M"} \
                 "$program" "$@" 2>&1 >/dev/null)
    if [[ -z $shown ]]; then
        echo "$program never reported its window as shown" >&2
        return 1
    fi
    awk -v a="$start" -v b="$shown" -v r="$rss" 'BEGIN { printf "%.2f %s\n", (b - a) * 1000, r }'
}

# median [printf format] < numbers
median() {
    sort -g | awk -v f="${1:-%.1f}" '{ v[NR] = $1 } END {
        if (NR == 0 || v[1] == "NA") { print "NA"; exit }
        printf f "\n", (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

ratio() {
    awk -v a="$1" -v b="$2" 'BEGIN { if (a == "NA" || b == "NA" || b == 0) print "NA"; else printf "%.2f", a / b }'
}

# Runs both programs alternately on the current platform and prints one table.
measure() {
    local platform=$1 i
    : >"$scratch/brenvik" ; : >"$scratch/bare"
    # One unmeasured run each, so both start with warm file caches.
    run_once "$brenvik" TIMTOWAV >/dev/null
    run_once "$bare" >/dev/null
    for ((i = 0; i < runs; i++)); do
        run_once "$brenvik" TIMTOWAV >>"$scratch/brenvik"
        run_once "$bare" >>"$scratch/bare"
    done
    local bt bm ft fm
    bt=$(cut -d' ' -f1 "$scratch/brenvik" | median)
    bm=$(cut -d' ' -f2 "$scratch/brenvik" | median %.0f)
    ft=$(cut -d' ' -f1 "$scratch/bare" | median)
    fm=$(cut -d' ' -f2 "$scratch/bare" | median %.0f)
    printf '%-10s %-12s %14s %16s\n' "$platform" program "start-up (ms)" "peak RSS (kB)"
    printf '%-10s %-12s %14s %16s\n' "" brenvik "$bt" "$bm"
    printf '%-10s %-12s %14s %16s\n' "" bare_window "$ft" "$fm"
    printf '%-10s %-12s %14s %16s\n' "" ratio "$(ratio "$bt" "$ft")" "$(ratio "$bm" "$fm")"
    echo
}

echo "medians of $runs runs each; brenvik started with TIMTOWAV"
echo
QT_QPA_PLATFORM=offscreen measure offscreen

if command -v Xvfb >/dev/null; then
    # Xvfb picks a free display number itself and writes it to fd 3.
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$scratch/display" 2>/dev/null &
    xvfb_pid=$!
    for _ in $(seq 50); do [[ -s $scratch/display ]] && break; sleep 0.1; done
    if [[ -s $scratch/display ]]; then
        DISPLAY=:$(head -n1 "$scratch/display") QT_QPA_PLATFORM=xcb measure xcb-Xvfb
    else
        echo "note: Xvfb did not start; offscreen only" >&2
    fi
fi
