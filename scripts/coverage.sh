#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds Brenvik with gcov's counters in build-coverage/, runs the whole test
# suite there, and prints the line and branch coverage of each room of src/
# (gcovr, leaving out the branches only an exception or the compiler makes),
# with an HTML report in build-coverage/coverage/index.html. Fails when a
# test fails, or when src/ as a whole falls below the floors below, which sit
# one point under the figures first measured with every test. Where a slow
# test was skipped (no Wine for 32-bit programs, a missing emulator, ...)
# outside CI, it says so and does not judge: the figures would be low for
# want of the test, not of the tests. Installs nothing: needs gcovr.
#   scripts/coverage.sh
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=$root/build-coverage

line_floor=93.4
branch_floor=77.7

command -v gcovr >/dev/null || { echo "coverage.sh: gcovr is missing (sudo apt install gcovr)" >&2; exit 2; }
jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBRENVIK_COVERAGE=ON >/dev/null
cmake --build "$build" --parallel "$jobs"

# Counters of an earlier run would add to this one's.
find "$build" -name '*.gcda' -delete
status=0
(cd "$build" && QT_QPA_PLATFORM=offscreen BRENVIK_NO_CONVERTER_WINDOW=1 \
    ctest --output-on-failure --parallel "$jobs" --output-junit ctest.xml) || status=$?
skipped=$(python3 - "$build/ctest.xml" <<'PY'
import sys, xml.etree.ElementTree as tree
for case in tree.parse(sys.argv[1]).getroot().iter("testcase"):
    if case.get("status") in ("skipped", "disabled", "notrun"):
        print(case.get("name"))
PY
)

mkdir -p "$build/coverage"
# The code that runs only on Windows is not built here; what remains of it
# is named in the exclusions, so that it lowers no figure.
gcovr --root "$root" --object-directory "$build" --filter 'src/' \
    --exclude-throw-branches --exclude-unreachable-branches \
    --exclude 'src/launch/WindowsStart\.cpp' \
    --json-summary "$build/coverage.json" \
    --html-details "$build/coverage/index.html" >/dev/null

# Prints the table; exits 3 where src/ as a whole lies below a floor.
below=0
python3 - "$build/coverage.json" "$line_floor" "$branch_floor" <<'PY' || below=$?
import json, sys
files = json.load(open(sys.argv[1]))["files"]
rooms = {}
for f in files:
    room = "/".join(f["filename"].split("/")[:2])
    r = rooms.setdefault(room, [0, 0, 0, 0])
    r[0] += f["line_covered"]
    r[1] += f["line_total"]
    r[2] += f["branch_covered"]
    r[3] += f["branch_total"]
def share(covered, total):
    return 100.0 * covered / total if total else 100.0
total = [sum(r[i] for r in rooms.values()) for i in range(4)]
print(f"{'room':24} {'lines':>16} {'branches':>16}")
for room, r in sorted(rooms.items()) + [("src/ (all)", total)]:
    print(f"{room:24} {share(r[0], r[1]):6.1f} % {r[0]:4}/{r[1]:<4} "
          f"{share(r[2], r[3]):6.1f} % {r[2]:4}/{r[3]:<4}")
print(f"floors: lines {sys.argv[2]} %, branches {sys.argv[3]} %")
sys.exit(3 if share(total[0], total[1]) < float(sys.argv[2])
         or share(total[2], total[3]) < float(sys.argv[3]) else 0)
PY
((below == 0 || below == 3)) || exit 2
echo "HTML report: $build/coverage/index.html"

if ((status != 0)); then
    echo "coverage.sh: tests failed; the figures above are of a failing suite" >&2
    exit 1
fi
if [ -n "$skipped" ] && [ "${CI:-}" != true ]; then
    echo "Not judged: these tests were skipped here, as they may be outside CI:" $skipped
    exit 0
fi
if ((below)); then
    echo "coverage.sh: src/ is below the floors" >&2
    exit 1
fi
echo "src/ meets the floors"
