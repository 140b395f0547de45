#!/usr/bin/env bash
# Checks the formatting, builds the core alone and all three platform presets, and runs every
# test: unit tests, the Linux window under Xvfb, the Windows build under Wine, static checks of
# both setup.exe files, sanitizers and fuzzing smoke runs.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh
jobs=$(nproc)
failed=0
scripts/format.sh --check >/dev/null || { echo "clang-format: files differ (scripts/format.sh)"; failed=1; }

# The portable core alone, as on a machine without GTK.
cmake --preset core >/dev/null
cmake --build --preset core -j "$jobs"
ctest --preset core -j "$jobs" || failed=1

# The Debian roots of the disc's Linux build (made once, kept under build/roots/).
scripts/disc_roots.sh

for preset in linux linux-disc win64 win32; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
done

# setup.exe's bytes: the same from two fresh build folders, for both Windows presets.
tests/win32/reproducible_build.sh || failed=1

ctest --preset linux -j "$jobs" || failed=1
ctest --preset win64 || failed=1

# The release: the same bytes from two fresh clones, lintian, the Linux archive in Debian 11 and
# 13 roots and the Debian package in a Debian 12 one, each making the sample disc's image.
tests/release/release_test.sh || failed=1

# The unit tests again under AddressSanitizer and UndefinedBehaviorSanitizer.
cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"
ctest --preset asan -j "$jobs" || failed=1

# Every fuzz target for a short run on a copy of its seeds.
fuzz/smoke.sh 20 || failed=1
exit $failed
