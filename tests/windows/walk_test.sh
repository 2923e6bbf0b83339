#!/usr/bin/env bash
# Runs the in-process walk over the Windows program's windows under Wine, in
# Xvfb under openbox (Wine activates its windows only under a window manager).
# Under emulation the walk is 2,000 events instead of 10,000 (each event
# costs more there).
# Usage: walk_test.sh WALK_EXE   (WINEPREFIX set; SOAK_SEED, SOAK_EVENTS passed on)
set -uo pipefail
here=$(dirname "$0")
source "$here/../e2e/driver.sh"
bash "$here/wine-run.sh" --can-run "$1" || exit $?
trap 'e2e_stop_display' EXIT
e2e_start_display && e2e_start_wm || exit 1
e2e_end_wine_session
[[ ${QUADRANGLER_X86:-} == emulated ]] && export SOAK_EVENTS=${SOAK_EVENTS:-2000}
bash "$here/wine-run.sh" "$1"
