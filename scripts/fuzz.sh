#!/usr/bin/env bash
# Long fuzz runs: builds the fuzz preset, runs TARGET (or all) for SECONDS each on a copy of
# its seeds, and reports executions and crashes. The work folder (grown corpus, crash inputs,
# logs) is kept in $TMPDIR for inspection; nothing is written into the repository.
# usage: scripts/fuzz.sh TARGET|all SECONDS
set -euo pipefail
cd "$(dirname "$0")/.."

if [ $# -ne 2 ] || ! [[ $2 =~ ^[0-9]+$ ]]; then
    echo "usage: scripts/fuzz.sh TARGET|all SECONDS" >&2
    echo "targets: $(cd fuzz && ls ./*_fuzz.cpp | sed 's|./||; s|\.cpp||' | tr '\n' ' ')" >&2
    exit 2
fi

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j2 >/dev/null

if [ "$1" = all ]; then
    targets=()
    for src in fuzz/*_fuzz.cpp; do
        targets+=("$(basename "$src" .cpp)")
    done
else
    [ -f "fuzz/$1.cpp" ] || { echo "no fuzz target $1" >&2; exit 2; }
    targets=("$1")
fi
exec fuzz/run_targets.sh "$2" 1 "${targets[@]}"
