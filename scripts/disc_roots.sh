#!/usr/bin/env bash
# The Debian roots the disc's Linux build needs, made once under build/roots/: the Debian 11
# sysroot the linux-disc preset compiles against; minimal Debian 11 and 13 roots with only the
# GTK 3 run-time, fonts and xorriso, where the tests run it and the released tools; and a bare
# Debian 12 root, copied fresh for each test that installs the Debian package. They are made
# side by side: the time goes to the network and the disk, not the cores.
#   disc_roots.sh sysroot   only what building needs (scripts/release.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
pids=()
# dconf, which GTK's settings pull in, needs a session bus package that debootstrap does not
# choose by itself.
scripts/debian_root.sh bullseye build/roots/bullseye-sysroot libgtk-3-dev libstdc++-10-dev \
    libc6-dev dbus-x11 &
pids+=($!)
if [ "${1:-}" != sysroot ]; then
    scripts/debian_root.sh bullseye build/roots/bullseye-run libgtk-3-0 fonts-dejavu-core \
        dbus-x11 xorriso &
    pids+=($!)
    scripts/debian_root.sh trixie build/roots/trixie-run libgtk-3-0t64 fonts-dejavu-core \
        dbus-x11 xorriso &
    pids+=($!)
    scripts/debian_root.sh bookworm build/roots/bookworm-bare &
    pids+=($!)
fi
failed=0
for pid in "${pids[@]}"; do
    wait "$pid" || failed=1
done
exit $failed
