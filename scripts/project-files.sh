# SPDX-License-Identifier: MIT
# Sourced by the scripts that check every file of the project.
#   project_files [PATTERN...]
# Writes the project's files, NUL-separated and relative to the top folder:
# in a git checkout the tracked ones and the new ones not ignored (so a file
# about to be added counts too); elsewhere all but the build folders. Only
# those whose name matches a PATTERN ('*.cpp'), where any is given.
project_files() {
    if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
        git ls-files -z --cached --others --exclude-standard -- "$@"
        return
    fi
    local names=() pattern
    for pattern; do
        names+=(${names[0]+-o} -name "$pattern")
    done
    find . \( -path ./.git -o -path './build*' \) -prune -o \
        -type f ${names[0]+\( "${names[@]}" \)} -printf '%P\0'
}
