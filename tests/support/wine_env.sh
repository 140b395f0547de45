#!/usr/bin/env bash
# Source this: sets up the private Wine prefix shared by all Wine tests of one checkout.
# The prefix is made once (12-16 s), under a lock, so tests may start it side by side.
#   WINE      the 64-bit launcher (Debian puts no wine64 on PATH)
#   WINEPREFIX, WINEDEBUG, WINEDLLOVERRIDES exported
_tavik_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
export WINEPREFIX=${TAVIK_WINEPREFIX:-$_tavik_root/build/wineprefix}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEARCH=win64
WINE=/usr/lib/wine/wine64
[ -x "$WINE" ] || WINE=$(command -v wine64 || command -v wine)
export WINE

tavik_wine_prefix() {
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.tavik-ready" ]; then
      rm -rf "$WINEPREFIX"
      "$WINE" wineboot -i >/dev/null 2>&1 || true
      /usr/lib/wine/wineserver -w 2>/dev/null || wineserver -w 2>/dev/null || true
      touch "$WINEPREFIX/.tavik-ready"
    fi
  ) 9>"$WINEPREFIX.lock"
}
