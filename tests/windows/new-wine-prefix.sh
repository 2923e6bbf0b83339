#!/usr/bin/env bash
# A scratch Wine prefix for one test run: removed and made anew.
# Usage: new-wine-prefix.sh PREFIX
set -euo pipefail
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
rm -rf "$1"
WINEPREFIX=$1 WINEDEBUG=-all DISPLAY= "$wine" wineboot -i >/dev/null 2>&1
# Its services may linger: the session is ended, not waited for.
WINEPREFIX=$1 "$(dirname "$wine")/wineserver" -k 2>/dev/null || true
[[ -f "$1/system.reg" ]] || { echo "no Wine prefix made in $1" >&2; exit 1; }
echo "Wine prefix ready: $1"
