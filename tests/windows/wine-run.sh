#!/usr/bin/env bash
# Runs a Windows program under Wine (64-bit) in the test run's prefix: the
# emulator of every test of the x64 build.
set -euo pipefail
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
export WINEPREFIX=${WINEPREFIX:-${TMPDIR:-/tmp}/quadrangler-wine}
export WINEDEBUG=${WINEDEBUG:--all}
[[ -d $WINEPREFIX ]] || DISPLAY= "$wine" wineboot -i >/dev/null 2>&1
exec "$wine" "$@"
