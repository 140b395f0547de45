#!/usr/bin/env bash
# Checks the formatting, builds the core alone and all platform presets, and runs every test:
# unit tests, the Linux window under Xvfb and Wayland compositors, the Windows build under Wine,
# static checks of both setup.exe files, the release, sanitizers and fuzzing smoke runs. Prints
# each stage's seconds at the end.
#   --busy   runs everything beside two busy neighbour processes (one per core here), as on a
#            shared CI machine: every test must still pass, since its deadlines only catch hangs.
set -euo pipefail
cd "$(dirname "$0")/.."

busy=0
for arg in "$@"; do
  case $arg in
    --busy) busy=1 ;;
    *) echo "usage: scripts/test.sh [--busy]" >&2; exit 2 ;;
  esac
done

jobs=$(nproc)
failed=0
stages=()
neighbours=()
roots_pid=""
roots_log=$(mktemp /tmp/tavik-roots-XXXXXX.log)
started=$SECONDS

report() {
  local pid
  for pid in "${neighbours[@]}" $roots_pid; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -f "$roots_log"
  echo
  echo "Stage times:"
  printf '  %s\n' "${stages[@]}"
  printf '  %-34s %5d s\n' "total" $((SECONDS - started))
}
trap report EXIT

# stage NAME COMMAND...: runs a step that later steps need; a failure ends the run.
stage() {
  local name=$1 t0=$SECONDS
  shift
  "$@"
  stages+=("$(printf '%-34s %5d s' "$name" $((SECONDS - t0)))")
}
# check NAME COMMAND...: runs a test step; a failure is counted and the run goes on.
check() {
  local name=$1 t0=$SECONDS mark=""
  shift
  "$@" || { failed=1 mark="  FAILED"; }
  stages+=("$(printf '%-34s %5d s%s' "$name" $((SECONDS - t0)) "$mark")")
}

stage "packages (scripts/deps.sh)" scripts/deps.sh
if [ $busy -eq 1 ]; then
  for _ in 1 2; do
    sh -c 'while :; do :; done' &
    neighbours+=($!)
  done
  echo "Two busy neighbour processes: ${neighbours[*]}"
fi

formatted() { scripts/format.sh --check >/dev/null || { echo "clang-format: files differ (scripts/format.sh)"; return 1; }; }
check "clang-format" formatted

# The Debian roots of the disc's Linux build (made once, kept under build/roots/) come from the
# network and the disk: made beside the compiles, which want the cores.
scripts/disc_roots.sh >"$roots_log" 2>&1 &
roots_pid=$!

# The portable core alone, as on a machine without GTK.
build() { cmake --preset "$1" >/dev/null && cmake --build --preset "$1" -j "$jobs"; }
stage "build core" build core
check "ctest core" ctest --preset core -j "$jobs"

for preset in linux win64 win32; do
  stage "build $preset" build "$preset"
done

roots_done() {
  local rc=0
  wait "$roots_pid" || rc=$?
  roots_pid=""
  cat "$roots_log"
  return $rc
}
stage "Debian roots (waited for)" roots_done
stage "build linux-disc" build linux-disc

# setup.exe's bytes: the same from two fresh build folders, for both Windows presets.
check "reproducible setup.exe" tests/win32/reproducible_build.sh

check "ctest linux" ctest --preset linux -j "$jobs"
check "ctest win64 (Wine)" ctest --preset win64

# The release: the same bytes from two fresh clones, lintian, the Linux archive in Debian 11 and
# 13 roots and the Debian package in a Debian 12 one, each making the sample disc's image.
check "release (two clones, roots)" tests/release/release_test.sh

# The unit tests again under AddressSanitizer and UndefinedBehaviorSanitizer.
stage "build asan" build asan
check "ctest asan" ctest --preset asan -j "$jobs"

# Every fuzz target for a short run on a copy of its seeds.
check "fuzz smoke" fuzz/smoke.sh 20
exit $failed
