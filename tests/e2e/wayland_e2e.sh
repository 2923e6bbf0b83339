#!/usr/bin/env bash
# End-to-end on a real Wayland desktop: weston, headless, with and without
# XWayland. The program is started as a desktop starts it (WAYLAND_DISPLAY,
# and DISPLAY where XWayland runs); weston-screenshooter takes the screen.
# The title window must show no title bar or buttons, and with XWayland it
# must sit centred, as on X11. Usage: wayland_e2e.sh PROGRAM
set -uo pipefail
program=$(realpath "$1")
work=$(mktemp -d)
chmod 700 "$work"
weston_pid= program_pid=
stop() {
  [[ -n $program_pid ]] && kill "$program_pid" 2>/dev/null && wait "$program_pid" 2>/dev/null
  [[ -n $weston_pid ]] && kill "$weston_pid" 2>/dev/null && wait "$weston_pid" 2>/dev/null
  program_pid= weston_pid=
  return 0
}
trap 'stop; rm -rf "$work"' EXIT
fail() { echo "  $*" >&2; return 1; }
width=1024 height=768 panel=32 # desktop-shell's panel along the top

# Starts weston (with XWayland if asked); sets socket and x_display.
start_weston() {
  local log=$work/weston.log
  rm -f "$log"
  XDG_RUNTIME_DIR=$work weston --backend=headless-backend.so --use-pixman --debug \
    --width=$width --height=$height --socket=wayland-e2e $1 >"$log" 2>&1 &
  weston_pid=$!
  socket=$work/wayland-e2e x_display=
  for _ in $(seq 100); do
    if [[ -S $socket ]]; then
      [[ -z $1 ]] && return 0
      x_display=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$log")
      [[ -n $x_display ]] && return 0
    fi
    sleep 0.1
  done
  fail "weston did not start: $(tail -3 "$log")"
}

# Takes the screen to the file, the panel cut off (its clock changes).
screenshot() {
  local dir=$work/shots
  rm -rf "$dir" && mkdir -p "$dir"
  (cd "$dir" && XDG_RUNTIME_DIR=$work WAYLAND_DISPLAY=wayland-e2e weston-screenshooter) ||
    fail "no screenshot" || return 1
  convert "$dir"/*.png -crop "${width}x$((height - panel))+0+$panel" +repage "$1"
}

# Prints "width height left top" of what the program drew: where the screen
# differs from the empty desktop.
drawn_box() {
  convert "$work/empty.png" "$1" -compose difference -composite -threshold 20% \
    -format '%@' info: | sed 's/[x+]/ /g'
}

# The title window alone: its frame and client, nothing above or beside it.
check_splash() {
  local mode=$1 w h x y dx dy
  # The desktop's background is drawn by a client of its own, a moment
  # after weston starts: until then the screen is one flat colour.
  for _ in $(seq 50); do
    screenshot "$work/empty.png" || return 1
    [[ $(convert "$work/empty.png" -format '%[fx:standard_deviation > 0.02]' info:) == 1 ]] && break
    sleep 0.2
  done
  env -i PATH="$PATH" HOME="$work" WAYLAND_DISPLAY="$socket" ${x_display:+DISPLAY=$x_display} \
    "$program" >"$work/program.log" 2>&1 &
  program_pid=$!
  for _ in $(seq 50); do
    sleep 0.2
    screenshot "$work/splash.png" || return 1
    read -r w h x y < <(drawn_box "$work/splash.png")
    ((w >= 480 && h >= 270)) && break
  done
  cp "$work/splash.png" "$PWD/wayland-$mode.png"
  echo "  $mode: the title window drew ${w}x$h at $x,$((y + panel))"
  # 492 x 283 and its border; a title bar would add 25 px or more above.
  ((w >= 480 && h >= 270)) || fail "$mode: no title window on the screen" || return 1
  ((h <= 283 + 12 && w <= 492 + 12)) || fail "$mode: ${w}x$h: a title bar or more" || return 1
  [[ $mode == xwayland ]] || return 0
  dx=$(((2 * x + w - width) / 2)) dy=$(((2 * (y + panel) + h - height) / 2))
  ((dx >= -4 && dx <= 4 && dy >= -4 && dy <= 4)) || fail "$mode: off centre by $dx, $dy"
}

passed=0 failed=0
for mode in xwayland wayland-only; do
  option=--xwayland
  [[ $mode == wayland-only ]] && option=
  if start_weston "$option" && check_splash "$mode"; then
    passed=$((passed + 1)); echo "PASS: $mode"
  else
    failed=$((failed + 1)); echo "FAIL: $mode (screen in $PWD/wayland-$mode.png)"
  fi
  stop
done
echo "wayland: $passed passed, $failed failed"
[[ $failed -eq 0 ]]
