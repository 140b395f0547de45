#!/bin/sh
# Started by desktops that follow the freedesktop convention for media that start software:
# opens the disc's menu from the disc's own folder.
cd "$(dirname "$0")" || exit 1
exec ./setup "$@"
