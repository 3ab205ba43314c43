#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
#
# The one C++ style of the product and its tests, set by .clang-format.
#   scripts/format.sh --check   names every C++ file clang-format-14 would
#                               change; non-zero when there is one
#   scripts/format.sh --apply   formats them all in place
set -euo pipefail
cd "$(dirname "$0")/.."

mode=${1:-}
case "$mode" in
    --check|--apply) ;;
    *) echo "usage: scripts/format.sh --check | --apply" >&2; exit 2 ;;
esac
formatter=$(command -v clang-format-14) ||
    { echo "clang-format-14 is missing: sudo apt install clang-format-14" >&2; exit 2; }

. scripts/project-files.sh

if [ "$mode" = --apply ]; then
    project_files '*.cpp' '*.h' | xargs -0 -r "$formatter" -i
    exit 0
fi
unformatted=0
while IFS= read -r -d '' f; do
    [ -f "$f" ] || continue
    if ! "$formatter" --dry-run -Werror "$f" >/dev/null 2>&1; then
        echo "not formatted: $f (scripts/format.sh --apply formats it)"
        unformatted=1
    fi
done < <(project_files '*.cpp' '*.h')
exit $unformatted
