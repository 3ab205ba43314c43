#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
#
# The licence line at the top of the project's own sources.
#   scripts/spdx.sh --check   lists every C++ source or header, script and
#                             CMake file that lacks it; non-zero when any does
#   scripts/spdx.sh --apply   adds it to each of them
# The line is the first one, or the second after a "#!" line: "// ..." in
# C++, "# ..." in scripts and CMake files. Data files, pictures, the manual's
# HTML, the fuzz corpora and whatever the build generates are left alone.
set -euo pipefail
cd "$(dirname "$0")/.."

tag='SPDX-License-Identifier: MIT'
mode=${1:-}
case "$mode" in
    --check|--apply) ;;
    *) echo "usage: scripts/spdx.sh --check | --apply" >&2; exit 2 ;;
esac

. scripts/project-files.sh

# The comment that carries the line in $1, or nothing for a file that takes none.
comment_for() {
    local file=$1
    case "$file" in
        fuzz/corpus/*) return ;;
        *.cpp|*.cc|*.cxx|*.h|*.hpp) echo "// $tag" ;;
        CMakeLists.txt|*/CMakeLists.txt|*.cmake|*.sh) echo "# $tag" ;;
        *) if [[ $(head -c 2 "$file" | tr -d '\0') == '#!' ]]; then echo "# $tag"; fi ;;
    esac
}

missing=0
while IFS= read -r -d '' file; do
    [[ -f $file && ! -L $file ]] || continue
    line=$(comment_for "$file")
    [[ -n $line ]] || continue
    first=$(head -n 1 "$file")
    at=1
    [[ $first == '#!'* ]] && at=2
    [[ $(sed -n "${at}{s/\r\$//;p;q}" "$file") == "$line" ]] && continue

    if [[ $mode == --check ]]; then
        echo "$file"
        missing=$((missing + 1))
        continue
    fi
    # Keep the file's own line ends, and its mode: rewrite it in place.
    eol=$'\n'
    [[ $first == *$'\r' ]] && eol=$'\r\n'
    tmp=$(mktemp)
    if ((at == 2)); then
        { printf '%s\n' "$first"; printf '%s%s' "$line" "$eol"; tail -n +2 "$file"; } >"$tmp"
    else
        { printf '%s%s' "$line" "$eol"; cat "$file"; } >"$tmp"
    fi
    cat "$tmp" >"$file"
    rm -f "$tmp"
    echo "added: $file"
done < <(project_files)

if ((missing)); then
    echo "$missing file(s) lack the line '$tag' (scripts/spdx.sh --apply adds it)" >&2
    exit 1
fi
