#!/usr/bin/env bash
# Makes a minimal Debian root once and keeps it: debian_root.sh SUITE DIR [PACKAGE...]
# (debootstrap --variant=minbase, the packages and their dependencies included). The root is
# made beside DIR and renamed when complete, so an interrupted run leaves nothing half-made; a
# root made with the same packages is kept as it is. Uses the host's Debian mirror.
set -euo pipefail
suite=$1 dir=$2
shift 2
packages=$(printf '%s\n' "$@" | sort | paste -sd, -)
stamp="$dir/.tavik-root"
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$suite $packages" ]; then
    exit 0
fi
mirror=$(sed -n 's/^URIs: *\([^ ]*\/debian\)$/\1/p' /etc/apt/sources.list.d/*.sources 2>/dev/null | head -1)
[ -n "$mirror" ] || mirror=$(awk '$1 == "deb" && $2 ~ /\/debian\/?$/ { print $2; exit }' /etc/apt/sources.list 2>/dev/null)
[ -n "$mirror" ] || { echo "debian_root: no Debian mirror in the apt sources" >&2; exit 1; }

# Never remove a root something is still mounted in (a test's /proc or X socket).
if grep -q " $(realpath -m "$dir")[/ ]" /proc/mounts || grep -q " $(realpath -m "$dir.new")[/ ]" /proc/mounts; then
    echo "debian_root: $dir has mounts inside; not touching it" >&2
    exit 1
fi
echo "Making a Debian $suite root in $dir (once)"
rm -rf "$dir.new"
mkdir -p "$(dirname "$dir")"
debootstrap --variant=minbase ${packages:+--include="$packages"} "$suite" "$dir.new" "$mirror" \
    >"$dir.log" 2>&1 || { tail -20 "$dir.log" >&2; exit 1; }
# Absolute links would lead a linker or loader out of the root: make every one relative.
find "$dir.new" -type l -lname '/*' | while read -r link; do
    target=$(readlink "$link")
    ln -sfn "$(realpath -m --relative-to="$(dirname "$link")" "$dir.new$target")" "$link"
done
echo "$suite $packages" >"$dir.new/.tavik-root"
rm -rf "$dir" "$dir.log"
mv "$dir.new" "$dir"
