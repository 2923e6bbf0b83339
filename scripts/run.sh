#!/usr/bin/env bash
# Sets up a fresh Debian 13 or 12 machine, builds the program and runs it. With no
# display it runs on a virtual X display instead and does one conversion as
# a user would, printing the grid reference and saving screenshots.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh run
cmake --preset program >/dev/null
cmake --build --preset program
program=build/program/bin/quadrangler

if [[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]]; then
  exec "$program"
fi

shots=build/program/screenshots
mkdir -p "$shots"
source tests/e2e/driver.sh
E2E_PROGRAM=$(realpath "$program")
trap 'e2e_kill; e2e_stop_display' EXIT
e2e_start_display
echo "No display: running on the virtual display $DISPLAY"
e2e_launch
SPLASH_SHOT="$shots/splash.png" e2e_open_conversion_window
e2e_type 26; e2e_key Tab; e2e_type 14; e2e_key Tab; e2e_type 28; e2e_key Tab; e2e_type 29
e2e_click "Grid Reference Conversion" cmdConvert
e2e_click "Grid Reference Conversion" CmdClipboard
e2e_screenshot "Grid Reference Conversion" "$shots/conversion.png"
echo "Grid reference on the clipboard: $(e2e_clipboard)"
echo "Screenshots: $(realpath "$shots")"
e2e_key alt+x
e2e_wait_exit
