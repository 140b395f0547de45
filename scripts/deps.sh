#!/usr/bin/env bash
# Installs the Debian packages Tavik needs to build, run and test. Idempotent, and quick when
# everything is already there. Wine: the 64-bit half only (32-bit programs cannot run here).
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config python3
  libgtest-dev libgmock-dev libbenchmark-dev libgtk-3-dev
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  libfontconfig-dev wine64 xvfb xdotool x11-utils imagemagick libx11-dev libxfixes-dev
  fonts-dejavu-core fonts-wqy-microhei xorriso genisoimage fuseiso debootstrap lld-14 binutils
  osslsigncode openssl at-spi2-core python3-pyatspi dbus
  libgtk-4-1 libadwaita-1-0 e2fsprogs
  clang-14 libclang-rt-14-dev clang-format-14
  lintian dpkg-dev man-db ccache
  sway grim xwayland kwin-wayland breeze mutter pipewire pipewire-bin wireplumber
  gstreamer1.0-pipewire gstreamer1.0-tools gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  zenity dbus-user-session python3-dbus libwayland-dev wayland-protocols plasma-wayland-protocols
  nemo caja libglib2.0-bin shared-mime-info xdg-utils
)
if [ "${1:-}" = "--run-only" ]; then
  # What configuring the linux preset needs (its test and benchmark folders are part of it).
  packages=(g++ cmake ninja-build pkg-config python3 libgtk-3-dev libfontconfig-dev
            libgtest-dev libgmock-dev libbenchmark-dev libx11-dev libxfixes-dev
            imagemagick fonts-dejavu-core)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends \
  "${missing[@]}" >/dev/null
