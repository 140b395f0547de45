#!/usr/bin/env bash
# Builds the Linux menu and opens it on the sample disc. The menu reads autorun.inf from its
# own folder, so the disc is staged with the executable in build/sample-disc/.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh --run-only
cmake --preset linux >/dev/null
cmake --build --preset linux -j "$(nproc)" --target setup tavik-check

disc=build/sample-disc
rm -rf "$disc"
cp -r examples/disc "$disc"
cp build/linux/setup "$disc/setup"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  build/linux/tavik-check "$disc"
  build/linux/tavik-check --render "$disc/preview.png" "$disc" >/dev/null || true
  echo "No display: the menu's preview is in $disc/preview.png"
  exit 0
fi
exec "$disc/setup"
