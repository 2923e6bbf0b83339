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
# A 32-bit Wine that failed to start leaves its half empty.
if [[ ${QUADRANGLER_X86:-} == native || ${QUADRANGLER_X86:-} == emulated ]] &&
  [[ ! -f $1/drive_c/windows/syswow64/kernel32.dll ]]; then
  echo "the Wine prefix in $1 has no 32-bit system (syswow64 is empty): 32-bit Wine did not start" >&2
  exit 1
fi
echo "Wine prefix ready: $1"
