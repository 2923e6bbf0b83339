#!/usr/bin/env bash
# On a processor without SSE2 the 32-bit program says so and ends with
# status 1: run under qemu-user as a Pentium III (SSE, no SSE2; Wine itself
# needs SSE). qemu runs SSE2 code on it all the same, so that nothing before
# the check uses SSE2 is proven from the program file (program_file_test).
# The box's text is read from Wine's trace of the one call that shows it
# (Wine's boxes copy nothing on Ctrl+C).
# Usage: sse2_test.sh EXE   (WINEPREFIX set; under with-32-bit.sh --emulated)
set -uo pipefail
here=$(dirname "$0")
source "$here/../e2e/driver.sh"
E2E_PROGRAM=$(realpath "$1")
title="3 x 3-Minute Quadrangler"
if [[ ${QUADRANGLER_X86:-} != emulated ]]; then
  echo "SKIPPED: ${QUADRANGLER_X86_WHY:-no emulated processor here}" >&2
  exit 77
fi
debug='HKCU\Software\Wine\Debug'
wine=(bash "$here/wine-run.sh")
E2E_LOG=$(mktemp)
trap 'e2e_kill; e2e_stop_display; "${wine[@]}" reg delete "$debug" /v RelayInclude /f >/dev/null 2>&1; rm -f "$E2E_LOG"' EXIT
"${wine[@]}" reg add "$debug" /v RelayInclude /d user32.MessageBoxW /f >/dev/null 2>&1
e2e_start_display && e2e_start_wm || exit 1
e2e_end_wine_session
text='L"This program needs a processor with SSE2.",'

QEMU_CPU=pentium3 WINEDEBUG=-all,+relay e2e_launch
e2e_window "$title" >/dev/null && e2e_wait_focus "$title" || exit 1
grep -q "Call user32.MessageBoxW(.*$text" "$E2E_LOG" ||
  { e2e_fail "the box does not say that the program needs SSE2"; exit 1; }
e2e_key Return
e2e_wait_exit 1 || exit 1
echo "ok: on a Pentium III the program says it needs SSE2 and ends with status 1"
