#!/usr/bin/env bash
# Builds all three presets and runs every test: unit tests, the Linux window under Xvfb, the
# Windows build under Wine, static checks of both setup.exe files.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh
jobs=$(nproc)
for preset in linux win64 win32; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
done

failed=0
ctest --preset linux -j "$jobs" || failed=1
ctest --preset win64 || failed=1

# The unit tests again under AddressSanitizer and UndefinedBehaviorSanitizer.
cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"
ctest --preset asan -j "$jobs" || failed=1

# Every fuzz target for a short run on a copy of its seeds.
fuzz/smoke.sh 20 || failed=1
exit $failed
