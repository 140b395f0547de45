#!/usr/bin/env bash
# setup.exe's bytes depend on the source alone: each Windows preset is built twice, in two
# fresh build folders of different names, one after the other, and the two setup.exe compared.
set -euo pipefail
cd "$(dirname "$0")/../.."
failed=0
for preset in win32 win64; do
    sums=()
    for tree in "build/reproduce-$preset-a" "build/reproduce-$preset-second"; do
        rm -rf "$tree"
        cmake --preset "$preset" -B "$tree" >/dev/null
        cmake --build "$tree" -j "$(nproc)" --target setup >/dev/null
        sums+=("$(sha256sum <"$tree/app/win32/setup.exe")")
    done
    if [ "${sums[0]}" = "${sums[1]}" ]; then
        echo "ok   $preset setup.exe is the same from two build folders: ${sums[0]%% *}"
    else
        echo "FAIL $preset setup.exe differs between two build folders"
        cmp -l "build/reproduce-$preset-a/app/win32/setup.exe" \
            "build/reproduce-$preset-second/app/win32/setup.exe" | head -5
        failed=1
    fi
    rm -rf "build/reproduce-$preset-a" "build/reproduce-$preset-second"
done
exit $failed
