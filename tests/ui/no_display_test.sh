#!/usr/bin/env bash
# The program without a display it can open: one line on stderr that says
# what is missing, and status 1, not Qt's abort.
# Usage: no_display_test.sh PROGRAM
set -uo pipefail
program=$1
runtime=$(mktemp -d) # no Wayland compositor in it
trap 'rm -rf "$runtime"' EXIT
prefix='quadrangler: cannot open a window: '
failed=0
# tag | environment | arguments | the line after the prefix, a pattern
while IFS='|' read -r tag environment arguments want; do
  # shellcheck disable=SC2086 # the columns are word lists
  got=$(env -i PATH="$PATH" HOME="$HOME" XDG_RUNTIME_DIR="$runtime" $environment \
    timeout 20 "$program" $arguments 2>&1 >/dev/null)
  status=$?
  # shellcheck disable=SC2053 # the line's column is a pattern
  if [[ $status -eq 1 && "$got" == "$prefix"$want ]]; then
    echo "ok: $tag"
  else
    printf 'FAIL: %s: status %s, stderr:\n%s\n' "$tag" "$status" "$got"
    failed=1
  fi
done <<'ROWS'
no display at all|||neither DISPLAY nor WAYLAND_DISPLAY is set
dead DISPLAY|DISPLAY=:65000||the X display ":65000" does not answer
-platform foo|DISPLAY=:65000|-platform foo|Qt has no platform "foo" (it has *xcb*)
QT_QPA_PLATFORM=wayland, no compositor|QT_QPA_PLATFORM=wayland||no Wayland compositor answers at "wayland-0"
ROWS
exit $failed
