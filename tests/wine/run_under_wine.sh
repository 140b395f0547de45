#!/usr/bin/env bash
# Runs a Windows test program under wine64 in the shared test prefix; its exit code is ours.
set -eu
source "$(dirname "$0")/../support/wine_env.sh"
tavik_wine_prefix
exec "$WINE" "$@"
