#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Non-blank lines of all test code against those of the product, by area and
# in total. Test code is every test, wherever it lives (the fuzz corpus is
# data, not code), and the seeded faults; the product is what users run, each
# part with its build file, as each test counts with its own: the Windows
# starter with its build and manifest, the manual's packer with the build
# that runs it (the manual's text is no code). Scripts that
# only build and run (dev, .ci/run, fuzz.sh, sanitize.sh, this one) and the
# benchmarks are neither. Every folder below tests/ and src/ counts.
#   scripts/test-balance.sh
set -euo pipefail
cd "$(dirname "$0")/.."

# Prints each area's non-blank lines; leaves their sum in $sum.
count() {
    local kind=$1 area n
    shift
    sum=0
    for area; do
        n=$(find "$area" -type f ! -path "fuzz/corpus/*" -exec grep -Ihcv "^[[:space:]]*$" {} + |
            awk "{ n += \$1 } END { print n + 0 }")
        sum=$((sum + n))
        printf '%-8s %-32s %5d\n' "$kind" "$area" "$n"
    done
}

count test tests/* fuzz scripts/seeded-faults.sh scripts/seeded-faults.txt
tests=$sum
count product src/* converters manual/make_mht.cpp manual/CMakeLists.txt windows
printf 'test code %d, product %d: tests are %d.%d %% of the product\n' "$tests" "$sum" \
    $((1000 * tests / sum / 10)) $((1000 * tests / sum % 10))
