#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds Brenvik with AddressSanitizer and UndefinedBehaviorSanitizer in
# build-asan/ with clang and runs the whole test suite there. Any sanitizer
# report, leaks included, fails the run, and clang's -Wcomma (set by the
# build for clang) refuses the comma operator in the product and the tests.
# Installs nothing: needs clang-14 and libclang-rt-14-dev.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc 2>/dev/null || echo 2)
cxx=${BRENVIK_SANITIZE_CXX:-$(command -v clang++-14 || command -v clang++ || true)}
[ -n "$cxx" ] || { echo "sanitize.sh: clang++ not found (Debian package clang-14)" >&2; exit 2; }
# A build folder made with another compiler is made anew.
if [ -f build-asan/CMakeCache.txt ] &&
    ! grep -qx "CMAKE_CXX_COMPILER:[A-Z]*=$cxx" build-asan/CMakeCache.txt; then
    rm -rf build-asan
fi
# The cross-built Windows parts run only under Wine, which no sanitizer sees.
cmake -S . -B build-asan -G Ninja -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DBRENVIK_SANITIZE=ON -DBRENVIK_WINDOWS_PARTS=OFF
cmake --build build-asan --parallel "$jobs"

# halt_on_error and exitcode make the first report end the test program with
# a failure, so CTest counts it; UBSan is already built without recovery.
export ASAN_OPTIONS="halt_on_error=1:abort_on_error=0:exitcode=86:detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:exitcode=86"
export QT_QPA_PLATFORM=offscreen

cd build-asan
# The Wine check runs cross-built Windows programs, which no sanitizer sees.
ctest --output-on-failure --parallel "$jobs" -E wine_launch_check
