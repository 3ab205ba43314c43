#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the libFuzzer targets with clang in build-fuzz/ and runs each for a
# bounded time on its seed corpus in fuzz/corpus/<target>/.
#   scripts/fuzz.sh [seconds per target, default 30]
# Fails on the first crash, hang, leak, sanitizer report or broken property;
# the input that caused it is left in build-fuzz/artifacts/<target>/.
# Installs nothing: needs clang-14 and libclang-rt-14-dev (llvm-14 for
# symbolized stack traces).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
seconds=${1:-30}

cxx=${BRENVIK_FUZZ_CXX:-$(command -v clang++-14 || command -v clang++ || true)}
if [ -z "$cxx" ]; then
    echo "fuzz.sh: clang++ not found (Debian package clang-14)" >&2
    exit 2
fi

jobs=$(nproc 2>/dev/null || echo 2)
cmake -S fuzz -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build-fuzz --parallel "$jobs"

symbolizer=$(command -v llvm-symbolizer-14 || command -v llvm-symbolizer || true)
[ -z "$symbolizer" ] || export ASAN_SYMBOLIZER_PATH="$symbolizer"
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:strict_string_checks=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export QT_QPA_PLATFORM=offscreen

# max_len: the filter reader reads 4096-byte blocks, so its inputs must be
# able to reach past a block's end.
declare -A maxlen=([fuzz_number_reader]=256 [fuzz_pattern_formatter]=256 [fuzz_cmdline_splitter]=1024
                  [fuzz_filter_file]=12000 [fuzz_channel_detection]=4096)

failed=()
for target in "${!maxlen[@]}"; do
    # New inputs go to the first corpus folder, the build's own, so the
    # seeds kept in git stay as they are.
    work=build-fuzz/corpus/$target
    artifacts=build-fuzz/artifacts/$target
    mkdir -p "$work" "$artifacts"
    echo "== $target: $seconds s"
    if ! build-fuzz/$target -max_total_time="$seconds" -max_len="${maxlen[$target]}" \
            -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
            -artifact_prefix="$root/$artifacts/" \
            "$work" "fuzz/corpus/$target" > "build-fuzz/$target.log" 2>&1; then
        tail -n 60 "build-fuzz/$target.log"
        failed+=("$target")
    else
        grep -E '^(Done|stat::number_of_executed_units|stat::new_units_added)' "build-fuzz/$target.log" || true
    fi
done

if ((${#failed[@]})); then
    echo "fuzz.sh: failed: ${failed[*]} (inputs in build-fuzz/artifacts/)" >&2
    exit 1
fi
echo "fuzz.sh: no findings"
