#!/usr/bin/env bash
# Builds the fuzz preset and runs every fuzz target briefly on a copy of its seeds.
# usage: fuzz/smoke.sh [SECONDS]   (per target; default 20, at most 30)
# Exit non-zero on any crash, leak or timeout. Writes nothing into the repository but build/fuzz.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-20}
if ! [[ $seconds =~ ^[0-9]+$ ]] || [ "$seconds" -lt 1 ]; then
    echo "usage: fuzz/smoke.sh [SECONDS]" >&2
    exit 2
fi
[ "$seconds" -le 30 ] || seconds=30

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j2 >/dev/null

targets=()
for src in fuzz/*_fuzz.cpp; do
    targets+=("$(basename "$src" .cpp)")
done
exec fuzz/run_targets.sh "$seconds" 0 "${targets[@]}"
