#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Non-blank lines of all test code against those of the product, by area and
# in total. Test code is every test, wherever it lives (the fuzz corpus is
# data, not code), and the scripts that run tests; the product is what users
# run, the Windows starter (its source, build and manifest) included.
# Benchmarks are neither.
#   scripts/test-balance.sh
set -euo pipefail
cd "$(dirname "$0")/.."

# Every folder below tests/ and src/ counts, new ones too.
test_areas=(tests/* fuzz scripts/test-balance.sh scripts/seeded-faults.sh scripts/seeded-faults.txt
            scripts/fuzz.sh scripts/sanitize.sh)
product_areas=(src/* converters manual/make_mht.cpp windows)

# Non-blank lines of the files below a path; 0 for a path that is not there.
count() {
    [ -e "$1" ] || { echo 0; return; }
    find "$1" -type f ! -path 'fuzz/corpus/*' -exec grep -Ihcv '^[[:space:]]*$' {} + |
        awk '{ n += $1 } END { print n + 0 }'
}

# Prints each area's count; leaves the sum in $sum.
total() {
    local kind=$1 n area
    shift
    sum=0
    for area; do
        n=$(count "$area")
        sum=$((sum + n))
        printf '%-8s %-32s %5d\n' "$kind" "$area" "$n"
    done
}

total test "${test_areas[@]}"
tests=$sum
total product "${product_areas[@]}"
product=$sum
printf 'test code %d, product %d: tests are %d %% of the product\n' \
    "$tests" "$product" $((100 * tests / product))
