#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Seeded faults: shows which careless one-line changes the test suite catches.
#   scripts/seeded-faults.sh [--check | --all] [ID...]
# Each fault of scripts/seeded-faults.txt (all, or those named) is applied in
# turn to a scratch copy in build-faults/, rebuilt incrementally; the tests run
# until their first failure, or with --all all of them, so that the report
# names every test and test function that catches the fault. Per fault: caught
# (by which tests), NOT CAUGHT, or did not build. Tests labelled "slow" run
# only for a fault whose ID ends in "@TEST", the slow test that catches it.
# --check only checks that each fault's text stands exactly once in the
# sources.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
scratch=$root/build-faults/src
build=$root/build-faults/build
logs=$root/build-faults/logs

check_only=0 stop=--stop-on-failure
case "${1:-}" in
    --check) check_only=1; shift ;;
    --all) stop=; shift ;;
esac
wanted=" $* "

# The faults: "ID FILE ORIGINAL ~> REPLACEMENT" (comments and blank lines skipped).
ids=() files=() originals=() replacements=()
while IFS= read -r line; do
    [[ $line =~ ^[[:space:]]*(#|$) ]] && continue
    read -r id file rest <<<"$line"
    [[ $rest == *' ~>'* ]] || { echo "seeded-faults.txt: no ' ~> ' in: $line" >&2; exit 2; }
    [ "$wanted" = "  " ] || [[ $wanted == *" $id "* ]] || continue
    replacement=${rest#* ~>}
    ids+=("$id") files+=("$file") originals+=("${rest%% ~>*}") replacements+=("${replacement# }")
done <"$root/scripts/seeded-faults.txt"

# The whole file, its last line end included.
contents() {
    local text
    text=$(cat "$1"; printf x)
    printf '%s' "${text%x}"
}

stale=0
for i in "${!ids[@]}"; do
    n=$({ grep -oF -- "${originals[i]}" "${files[i]}" 2>/dev/null || true; } | wc -l)
    [ "$n" = 1 ] || { echo "${ids[i]}: the text is found $n times in ${files[i]}: ${originals[i]}" >&2; stale=1; }
done
((stale == 0)) || { echo "seeded-faults.txt is out of date with the sources" >&2; exit 2; }
echo "${#ids[@]} faults, each found exactly once"
((check_only == 0)) || exit 0

# The scratch copy: the project's files (tracked, and new ones not ignored),
# each copied only when it differs, so the build stays incremental.
mkdir -p "$scratch" "$logs"
git ls-files -z --cached --others --exclude-standard >"$logs/files"
while IFS= read -r -d '' f; do
    [ -f "$f" ] || continue
    cmp -s "$f" "$scratch/$f" || { mkdir -p "$(dirname "$scratch/$f")"; cp "$f" "$scratch/$f"; }
done <"$logs/files"
(cd "$scratch" && find . -type f -printf '%P\n' | sort) >"$logs/copied"
tr '\0' '\n' <"$logs/files" | sort | comm -23 "$logs/copied" - | (cd "$scratch" && xargs -r -d '\n' rm -f)

jobs=$(nproc 2>/dev/null || echo 2)
# The fast tests, then the slow tests a fault names ($1, or none); a slow
# test that fails runs once more, as Wine under load now and then fails to
# start a program. The licence-line check reads the git index, which the
# copy does not have; a fault's text need not be formatted, and the format
# check would catch it for that alone; the text rules' lone build checks the
# build's structure, which no fault here touches.
run_tests() {
    (cd "$build" && export QT_QPA_PLATFORM=offscreen BRENVIK_TEST_NO_WINE32=1 &&
        ctest $stop --output-on-failure --parallel "$jobs" -LE slow -E '^(spdx_lines|format|text_rules_alone)$' &&
        { [ -z "$1" ] || ctest --output-on-failure --repeat until-pass:2 -R "^($1)\$"; })
}
# The failed tests, and the test functions that failed.
culprit() {
    echo "$(cut -d: -f2 "$build/Testing/Temporary/LastTestsFailed.log" 2>/dev/null | paste -sd' ')" \
         "$(grep -o '^FAIL!  : [^:]*::[^(]*([^)]*)' "$1" | cut -c10- | sort -u | paste -sd' ')"
}

started=$SECONDS
echo "== building the scratch copy in $build"
# Without optimization and debug information, and gold where it is, each
# rebuild takes a few seconds.
linker=()
command -v ld.gold >/dev/null && linker=(-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=gold)
cmake -S "$scratch" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-O0 \
    "${linker[@]}" >"$logs/configure.log"
cmake --build "$build" --parallel "$jobs" >"$logs/build.log" || { tail -n 30 "$logs/build.log"; exit 2; }
slow=$(printf '%s\n' "${ids[@]}" | sed -n 's/.*@//p' | sort -u | paste -sd'|')
if ! run_tests "$slow" >"$logs/baseline.log" 2>&1; then
    echo "the suite fails without any fault: $(culprit "$logs/baseline.log")" >&2
    exit 2
fi
echo "== the suite passes without faults ($((SECONDS - started)) s so far)"

caught=0 missed=0 broken=0
for i in "${!ids[@]}"; do
    id=${ids[i]} path=$scratch/${files[i]} log=$logs/${ids[i]%@*}.log
    text=$(contents "$path")
    printf '%s' "${text/"${originals[i]}"/"${replacements[i]}"}" >"$path"
    slow=
    [[ $id == *@* ]] && slow=${id#*@}
    if ! cmake --build "$build" --parallel "$jobs" >"$log" 2>&1; then
        result="did not build"
        broken=$((broken + 1))
    elif run_tests "$slow" >"$log" 2>&1; then
        result="NOT CAUGHT"
        missed=$((missed + 1))
    else
        result="caught by $(culprit "$log")"
        caught=$((caught + 1))
    fi
    printf '%s' "$text" >"$path"
    printf '%-32s %s\n' "$id" "$result"
done
echo "== ${#ids[@]} faults: $caught caught, $missed not caught, $broken did not build" \
     "($((SECONDS - started)) s)"
