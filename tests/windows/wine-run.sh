#!/usr/bin/env bash
# Runs a Windows program under Wine in the test run's prefix: the emulator
# of every test of both Windows builds. A 32-bit program file runs under the
# 32-bit loader, anything else (a 64-bit one, Wine's own reg or start) under
# the 64-bit one; WINE_ARCH=32|64 chooses for commands that are not files.
# Where this machine cannot run 32-bit programs at all, a 32-bit one is not
# run and the exit status is 77: the test is reported as skipped, with why.
# Usage: wine-run.sh PROGRAM [ARGS...] | wine-run.sh --can-run PROGRAM
set -euo pipefail
folder=$(dirname "$(command -v wine64 || echo /usr/lib/wine/wine64)")
export WINEPREFIX=${WINEPREFIX:-${TMPDIR:-/tmp}/quadrangler-wine}
export WINEDEBUG=${WINEDEBUG:--all}
bits=${WINE_ARCH:-64}
check=
[[ ${1:-} == --can-run ]] && { check=1; shift; }
if [[ -f ${1:-} ]] && [[ "$(head -c 2 "$1")" == MZ ]]; then
  # The PE header's machine field: 0x014c is i386.
  pe=$(od -An -t u4 -j 60 -N 4 "$1" | tr -d ' ')
  [[ "$(od -An -t x2 -j $((pe + 4)) -N 2 "$1" | tr -d ' ')" == 014c ]] && bits=32 || bits=64
fi
wine=$folder/wine64
if [[ $bits == 32 ]]; then
  wine=$folder/wine
  [[ -n ${QUADRANGLER_X86:-} ]] ||
    exec bash "$(dirname "$0")/../../scripts/with-32-bit.sh" bash "$0" ${check:+--can-run} "$@"
  if [[ $QUADRANGLER_X86 == none ]]; then
    echo "SKIPPED: ${QUADRANGLER_X86_WHY:-32-bit x86 programs cannot run here}, so neither can the 32-bit Wine" >&2
    exit 77
  fi
  [[ -x $wine ]] || { echo "wine-run: no 32-bit Wine (wine32:i386) in $folder" >&2; exit 127; }
fi
[[ -n $check ]] && exit 0
[[ -d $WINEPREFIX ]] || DISPLAY= "$folder/wine64" wineboot -i >/dev/null 2>&1
# The prefix's server and Wine's own services started apart, with nothing of
# this test's output: started by the test's program they would hold it open,
# and ctest would wait for the test until every other one in the prefix had
# ended. Where a server runs already, this does nothing.
if "$folder/wineserver" -p30 </dev/null >/dev/null 2>&1; then
  WINEDEBUG=-all "$folder/wine64" wineboot </dev/null >/dev/null 2>&1 || true
fi
exec "$wine" "$@"
