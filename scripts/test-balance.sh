#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Lines of all test code against those of the product, by area and in total,
# and the tests' share of both. A line counts when it is neither blank nor a
# comment (C++ "//" and "/* */", "#" in scripts, CMake and fault lists); the
# C++ files are formatted first (scripts/format.sh), so packing a line does
# not lower the count. Test code is every test, wherever it lives (the fuzz
# corpus is data, not code), and the seeded faults; the product is what users
# run, each part with its build file, as each test counts with its own: the
# Windows starter with its build and manifest, the manual's packer with the
# build that runs it (the manual's text is no code), the desktop's launcher
# with the package's build, and the build files that join them all. Scripts
# that only build and run (dev, .ci/run, fuzz.sh, sanitize.sh, coverage.sh,
# this one) and the benchmarks are neither. Every folder below tests/ and src/ counts.
#   scripts/test-balance.sh
set -euo pipefail
cd "$(dirname "$0")/.."

# Code lines of the files named on standard input, one a line.
code_lines() {
    xargs -r -d '\n' awk '
        FNR == 1 {
            cpp = FILENAME ~ /\.(cpp|h)$/
            hash = FILENAME ~ /(\.sh|\.cmake|\.txt)$/ || $0 ~ /^#!/
            block = 0
        }
        { line = $0; sub(/^[[:space:]]+/, "", line) }
        line == "" { next }
        cpp && block { if (line ~ /\*\//) block = 0; next }
        cpp && line ~ /^\/\// { next }
        cpp && line ~ /^\/\*/ { if (line !~ /\*\//) block = 1; next }
        hash && line ~ /^#/ { next }
        { n++ }
        END { print n + 0 }'
}

# Prints each area's code lines; leaves their sum in $sum.
count() {
    local kind=$1 area n
    shift
    sum=0
    for area; do
        n=$(find "$area" -type f ! -path "fuzz/corpus/*" | code_lines)
        sum=$((sum + n))
        printf '%-8s %-32s %5d\n' "$kind" "$area" "$n"
    done
}

if ! scripts/format.sh --check >/dev/null; then
    echo "test-balance.sh: some C++ files are not formatted (scripts/format.sh --check)" >&2
    exit 2
fi
count test tests/* fuzz scripts/seeded-faults.sh scripts/seeded-faults.txt
tests=$sum
count product src/* converters manual/make_mht.cpp manual/CMakeLists.txt windows \
    packaging/CMakeLists.txt packaging/brenvik-launcher CMakeLists.txt cmake
all=$((tests + sum))
printf 'test code %d, product %d: tests are %d.%d %% of all code\n' "$tests" "$sum" \
    $((1000 * tests / all / 10)) $((1000 * tests / all % 10))
