#!/usr/bin/env bash
# Long fuzz runs: builds the fuzz preset, runs each target for its own time on a copy of its
# seeds, and reports executions and crashes. The work folder (grown corpus, crash inputs,
# logs) is kept in $TMPDIR for inspection; nothing is written into the repository.
# usage: scripts/fuzz.sh TARGET|all SECONDS      every target named (or all) for SECONDS each
#        scripts/fuzz.sh TARGET=SECONDS...       each target for its own SECONDS
set -euo pipefail
cd "$(dirname "$0")/.."

all_targets=()
for src in fuzz/*_fuzz.cpp; do
    all_targets+=("$(basename "$src" .cpp)")
done
usage() {
    echo "usage: scripts/fuzz.sh TARGET|all SECONDS | scripts/fuzz.sh TARGET=SECONDS..." >&2
    echo "targets: ${all_targets[*]}" >&2
    exit 2
}

# (target seconds) pairs
runs=()
if [ $# -eq 2 ] && [[ $2 =~ ^[0-9]+$ ]] && [[ $1 != *=* ]]; then
    if [ "$1" = all ]; then
        for t in "${all_targets[@]}"; do runs+=("$t" "$2"); done
    else
        runs+=("$1" "$2")
    fi
else
    [ $# -ge 1 ] || usage
    for arg in "$@"; do
        [[ $arg =~ ^([a-z_]+)=([0-9]+)$ ]] || usage
        runs+=("${BASH_REMATCH[1]}" "${BASH_REMATCH[2]}")
    done
fi
for ((i = 0; i < ${#runs[@]}; i += 2)); do
    [ -f "fuzz/${runs[i]}.cpp" ] || { echo "no fuzz target ${runs[i]}" >&2; exit 2; }
    [ "${runs[i + 1]}" -ge 1 ] || usage
done

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j2 >/dev/null

failed=0
for ((i = 0; i < ${#runs[@]}; i += 2)); do
    fuzz/run_targets.sh "${runs[i + 1]}" 1 "${runs[i]}" || failed=1
done
exit "$failed"
