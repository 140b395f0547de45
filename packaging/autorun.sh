#!/bin/sh
# Started by desktops that follow the freedesktop convention for media that start software,
# often as `sh autorun.sh` from the medium's root: opens the disc's menu from the medium. A
# medium may give no file an exec bit (a Joliet-only image, a FAT stick mounted showexec):
# then the menu is started through the system's dynamic loader. Nothing is copied off it.
cd -- "$(dirname -- "$0")" || exit 1
# A noexec mount refuses ./setup and the loader alike: say so in one line rather than let the
# exec fail with the shell's or the loader's message. The options of the mount holding this
# folder: the last mount (in mount order) whose point is this folder or one above it.
options=$(TAVIK_HERE=$(pwd -P) awk '{
        point = $5; gsub(/\\040/, " ", point); gsub(/\\011/, "\t", point)
        gsub(/\\012/, "\n", point); gsub(/\\134/, "\\", point)
        here = ENVIRON["TAVIK_HERE"]
        if (point == "/" || here == point || index(here, point "/") == 1)
            if (length(point) >= best) { best = length(point); options = $6 }
    } END { print options }' /proc/self/mountinfo 2>/dev/null)
case ",$options," in
*,noexec,*)
    echo "autorun.sh: this disc is mounted noexec, so no program on it can run; mount it without noexec, then open autorun.sh again" >&2
    exit 126
    ;;
esac
# Decided by the mode bits: as root, `test -x` says yes to a 0444 file on some media.
if [ -n "$(find ./setup -prune -perm -u+x 2>/dev/null)" ]; then
    exec ./setup "$@"
fi
for loader in /lib64/ld-linux-x86-64.so.2 /lib/x86_64-linux-gnu/ld-linux-x86-64.so.2; do
    if [ -f "$loader" ]; then
        exec "$loader" ./setup "$@"
    fi
done
exit 126
