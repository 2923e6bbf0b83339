# Drives the real program in an X server as a user would: xdotool for keys
# and clicks, xclip to read the clipboard back, ImageMagick for screenshots.
# Sourced by the end-to-end tests and by the headless run.

E2E_PROGRAM=${E2E_PROGRAM:-}
E2E_HERE=$(dirname "${BASH_SOURCE[0]}")
E2E_PID=
E2E_XVFB_PID=
E2E_WM_PID=
# One factor for every wait: a 32-bit Windows program under emulation
# (qemu-user, scripts/with-32-bit.sh) starts and answers that much slower.
E2E_SLOWDOWN=${E2E_SLOWDOWN:-1}
[[ ${QUADRANGLER_X86:-} == emulated ]] && E2E_SLOWDOWN=${E2E_EMULATED_SLOWDOWN:-4}
E2E_TIMEOUT=${E2E_TIMEOUT:-$((20 * E2E_SLOWDOWN))}

# Sleeps this many seconds, times the factor.
e2e_pause() { sleep "$(awk -v s="$1" -v f="$E2E_SLOWDOWN" 'BEGIN { print s * f }')"; }

# Where to click each control of both windows, in pixels from the client
# area's corner at 96 dpi (twips / 15), read from the layout table: the
# centre of its box; a child's left and top count from its parent's. A label
# that sizes itself to its text keeps only its left and top: its point is one
# height in from the left, half a height down. A frame's own surface is
# clicked above its children, halfway down to the first of them.
declare -A E2E_CONTROL=()
e2e_read_control_points() {
  local name x y
  while read -r name x y; do
    E2E_CONTROL[$name]="$x $y"
  done < <(awk '
    /\.kind = / { row = ++rows }
    /^}\);/ { row = 0 }
    row {
      line = $0
      while (match(line, /\.[A-Za-z]+ = ("[^"]*"|[^,}]*)/)) {
        field = substr(line, RSTART + 1, RLENGTH - 1)
        line = substr(line, RSTART + RLENGTH)
        key = field; sub(/ = .*/, "", key)
        value = field; sub(/^[A-Za-z]+ = /, "", value); gsub(/"/, "", value)
        at[row, key] = value
      }
    }
    END {
      for (r = 1; r <= rows; r++) named[at[r, "name"]] = r
      for (r = 1; r <= rows; r++) {
        p = at[r, "parent"]
        if (p != "" && (!(p in firstChild) || at[r, "top"] + 0 < firstChild[p])) firstChild[p] = at[r, "top"] + 0
      }
      for (r = 1; r <= rows; r++) {
        left = at[r, "left"]; top = at[r, "top"]; height = at[r, "height"]
        for (p = at[r, "parent"]; p != ""; p = at[named[p], "parent"]) {
          left += at[named[p], "left"]; top += at[named[p], "top"]
        }
        x = at[r, "sizesItself"] == "true" ? left + height : left + at[r, "width"] / 2
        y = at[r, "name"] in firstChild ? top + firstChild[at[r, "name"]] / 2 : top + height / 2
        printf "%s %d %d\n", at[r, "name"], int(x / 15), int(y / 15)
      }
    }' "$1")
  ((${#E2E_CONTROL[@]} > 0)) || echo "driver.sh: no control positions in $1" >&2
}
e2e_read_control_points "$E2E_HERE/../../ui/shared/layouts.cpp"

e2e_fail() { echo "  $*" >&2; return 1; }

# xdotool matches names as regular expressions: "SA Limits?" must be escaped.
e2e_title_pattern() { printf '^%s$' "$(printf '%s' "$1" | sed 's/[][\\.*^$?+(){}|]/\\&/g')"; }

# Starts Xvfb on a free display, without a window manager. Xvfb finds the
# number itself: a display of another server in a chroot or container shares
# the abstract socket namespace, which no lock file here shows.
# Usage: e2e_start_display [WIDTHxHEIGHTxDEPTH]   (1024x768x24)
e2e_start_display() {
  local numberfile
  numberfile=$(mktemp)
  # -noreset: the server would reset whenever its last client left, refusing
  # connections for a moment, as between two launches.
  Xvfb -displayfd 3 -screen 0 "${1:-1024x768x24}" -nolisten tcp -noreset 3>"$numberfile" \
    >/dev/null 2>&1 &
  E2E_XVFB_PID=$!
  for _ in $(seq 100); do
    if [[ -s $numberfile ]]; then
      export DISPLAY=":$(head -n 1 "$numberfile")"
      rm -f "$numberfile"
      xdpyinfo >/dev/null 2>&1 && return 0
    fi
    sleep 0.1
  done
  rm -f "$numberfile"
  e2e_fail "Xvfb did not start"
}

# Starts openbox on the display and waits until it has taken the root
# window, so that the program is framed and activated from its first map.
e2e_start_wm() {
  openbox --sm-disable >/dev/null 2>&1 &
  E2E_WM_PID=$!
  for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
    sleep 0.1
  done
  e2e_fail "openbox did not take the display"
}

e2e_stop_display() {
  [[ -n "$E2E_WM_PID" ]] && kill "$E2E_WM_PID" 2>/dev/null && wait "$E2E_WM_PID" 2>/dev/null
  [[ -n "$E2E_XVFB_PID" ]] && kill "$E2E_XVFB_PID" 2>/dev/null && wait "$E2E_XVFB_PID" 2>/dev/null
  E2E_WM_PID= E2E_XVFB_PID=
  return 0
}

# Prints "dx dy": how far the whole window, frame included, lies from the
# centre of the screen. xwininfo's absolute position is the client's; the
# frame comes from _NET_FRAME_EXTENTS (left, right, top, bottom).
e2e_offcentre() {
  local info x y w h l=0 r=0 t=0 b=0 extents sw sh
  info=$(xwininfo -id "$1") || return 1
  x=$(awk '/Absolute upper-left X/ {print $NF}' <<<"$info")
  y=$(awk '/Absolute upper-left Y/ {print $NF}' <<<"$info")
  w=$(awk '/Width:/ {print $NF}' <<<"$info")
  h=$(awk '/Height:/ {print $NF}' <<<"$info")
  extents=$(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= //p' | tr -d ,)
  [[ -n "$extents" ]] && read -r l r t b <<<"$extents"
  read -r sw sh < <(xdpyinfo | awk '/dimensions:/ {split($2, a, "x"); print a[1], a[2]}')
  echo $(((2 * (x - l) + w + l + r - sw) / 2)) $(((2 * (y - t) + h + t + b - sh) / 2))
}

# Fails unless the whole framed window is centred to within a pixel. A
# Windows program centres its Win32 outer rectangle; under Wine the window
# manager's frame is not Win32's (openbox's title bar is thinner), so there
# the tolerance is half that difference at most: 3 pixels under Wine 8, 5
# under Wine 10, whose frame is taller.
e2e_check_centred() {
  local dx=? dy=? tolerance=1 deadline=$((SECONDS + 5 * E2E_SLOWDOWN))
  if [[ $E2E_PROGRAM == *.exe ]]; then
    tolerance=3
    [[ "$("$(command -v wine64 || echo /usr/lib/wine/wine64)" --version 2>/dev/null)" =~ ^wine-([0-9]+) ]] &&
      ((BASH_REMATCH[1] >= 10)) && tolerance=5
  fi
  # A window manager frames the window a moment after it is mapped.
  while ((SECONDS < deadline)); do
    read -r dx dy < <(e2e_offcentre "$1") &&
      ((dx >= -tolerance && dx <= tolerance && dy >= -tolerance && dy <= tolerance)) && return 0
    sleep 0.1
  done
  e2e_fail "$2 is off centre by $dx, $dy"
}

# Wine's session keeps the display of its first program: one left from an
# earlier test would swallow the windows of the next. Ended here.
e2e_end_wine_session() {
  local wine
  wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
  "$(dirname "$wine")/wineserver" -k 2>/dev/null
  return 0
}

# A Windows program runs under Wine, which keeps the pid.
e2e_launch() {
  local launcher=()
  [[ $E2E_PROGRAM == *.exe ]] && launcher=(bash "$E2E_HERE/../windows/wine-run.sh")
  "${launcher[@]}" "$E2E_PROGRAM" >>"${E2E_LOG:-/dev/null}" 2>&1 &
  E2E_PID=$!
}

# Prints the id of the visible window with this exact title, waiting for it.
e2e_window() {
  local deadline=$((SECONDS + E2E_TIMEOUT)) id
  while ((SECONDS < deadline)); do
    id=$(xdotool search --onlyvisible --name "$(e2e_title_pattern "$1")" 2>/dev/null | head -n 1)
    [[ -n "$id" ]] && { echo "$id"; return 0; }
    sleep 0.05
  done
  e2e_fail "no window titled '$1'"
}

# Runs the command until it succeeds; fails with the message at the time-out.
e2e_wait_for() {
  local message=$1 deadline=$((SECONDS + E2E_TIMEOUT))
  shift
  until "$@"; do
    ((SECONDS < deadline)) || { e2e_fail "$message"; return 1; }
    sleep 0.05
  done
}

e2e_focus_titled() { [[ "$(xdotool getwindowfocus getwindowname 2>/dev/null)" == "$1" ]]; }
e2e_focus_is() { [[ "$(xdotool getwindowfocus 2>/dev/null)" == "$1" ]]; }

# Waits until the window holding the keyboard focus has this title.
e2e_wait_focus() { e2e_wait_for "focus never reached '$1'" e2e_focus_titled "$1"; }

# Waits until this window holds the keyboard focus.
e2e_wait_focus_on() { e2e_wait_for "focus never reached window $1" e2e_focus_is "$1"; }

e2e_no_window() { ! xdotool search --onlyvisible --name "$(e2e_title_pattern "$1")" >/dev/null 2>&1; }

e2e_type() { xdotool type --delay 20 -- "$1"; e2e_pause 0.1; }
e2e_key() { xdotool key --delay 20 "$@"; e2e_pause 0.15; }

# Clicks a control, by its name, of the window with this id.
e2e_click_in() {
  # shellcheck disable=SC2086
  xdotool mousemove --window "$1" ${E2E_CONTROL[$2]} click 1
  e2e_pause 0.2
  xdotool mousemove 1000 740 # off the window: no hover effects in screenshots
}

# Clicks a control of the window with this title, by its name.
e2e_click() {
  local window
  window=$(e2e_window "$1") || return 1
  e2e_click_in "$window" "$2"
}

e2e_set_clipboard() {
  printf '%s' "$1" | xclip -selection clipboard -i -loops 0 >/dev/null 2>&1 &
  e2e_pause 0.2
}

e2e_clipboard() { xclip -selection clipboard -o 2>/dev/null; }

# Waits until the clipboard holds this text.
e2e_clipboard_is() { [[ "$(e2e_clipboard)" == "$1" ]]; }
e2e_wait_clipboard() {
  e2e_wait_for "clipboard never held '$1'" e2e_clipboard_is "$1" ||
    e2e_fail "it holds '$(e2e_clipboard)'"
}

# Prints how many pixels of two screenshots differ inside WxH+X+Y.
e2e_pixels_differing() { compare -metric AE -crop "$3" "$1" "$2" null: 2>&1; }

# Prints how many pixels inside WxH+X+Y of a screenshot are near this colour.
e2e_pixels_of() {
  convert "$1" -crop "$2" +repage -fuzz 15% -fill black +opaque "$3" -fill white -opaque "$3" \
    -format '%[fx:round(mean*w*h)]' info:
}

e2e_screenshot() {
  local window
  window=$(e2e_window "$1") || return 1
  import -window "$window" "$2"
}

# Waits for the program to end and checks its exit status (0 unless given).
e2e_wait_exit() {
  local deadline=$((SECONDS + E2E_TIMEOUT))
  while kill -0 "$E2E_PID" 2>/dev/null; do
    ((SECONDS < deadline)) || { kill "$E2E_PID"; e2e_fail "program did not end"; return 1; }
    sleep 0.05
  done
  local status=0
  wait "$E2E_PID" || status=$?
  E2E_PID=
  [[ $status -eq ${1:-0} ]] || e2e_fail "exit status $status"
}

# Debian 13's 32-bit Wine loader is position-independent and comes without
# the preloader that kept the low addresses free. Under qemu-user, as here,
# that leaves Wine unable to load a program without relocations at its fixed
# base (NSIS's installer stub: status c0000018). True where both hold.
e2e_wine32_emulated_pie() {
  local loader
  loader=$(dirname "$(command -v wine64 || echo /usr/lib/wine/wine64)")/wine
  [[ "$(od -An -t u2 -j 16 -N 2 "$loader" 2>/dev/null | tr -d ' ')" == 3 ]] || return 1
  [[ "$(bash "$E2E_HERE/../../scripts/with-32-bit.sh" bash -c 'echo $QUADRANGLER_X86' 2>/dev/null)" == emulated ]]
}

# The processes whose windows are the program's: the one launched and, for
# a Windows program, the one Wine started for it. Wine 10's 32-bit loader
# runs the program in a process of its own (through start.exe), which waits
# for it and ends with its status.
e2e_program_pids() {
  [[ -n "$E2E_PID" ]] || return 0
  echo "$E2E_PID"
  [[ $E2E_PROGRAM == *.exe ]] || return 0
  local id
  for id in $(xdotool search --classname "^$(basename "$E2E_PROGRAM" | sed 's/\./\\./g')\$" 2>/dev/null); do
    xprop -id "$id" _NET_WM_PID 2>/dev/null | sed -n 's/.*= //p'
  done | sort -u
}

e2e_kill() {
  local pid
  for pid in $(e2e_program_pids); do
    [[ $pid == "$E2E_PID" ]] || kill "$pid" 2>/dev/null
  done
  [[ -n "$E2E_PID" ]] && kill "$E2E_PID" 2>/dev/null && wait "$E2E_PID" 2>/dev/null
  E2E_PID=
  return 0
}

# The splash window has no caption (Qt names it after the program in
# _NET_WM_NAME only): it is the program's visible window, found by the pid,
# while the conversion window is not open yet.
e2e_splash_window() {
  local deadline=$((SECONDS + E2E_TIMEOUT)) id
  while ((SECONDS < deadline)); do
    for id in $(for pid in $(e2e_program_pids); do xdotool search --onlyvisible --pid "$pid"; done 2>/dev/null); do
      [[ "$(xdotool getwindowname "$id" 2>/dev/null)" != "Grid Reference Conversion" ]] &&
        { echo "$id"; return 0; }
    done
    sleep 0.05
  done
  e2e_fail "no splash window"
}

# From launch to the conversion window, ready for typing: the splash comes
# first, alone, and a key dismisses it. SPLASH_SHOT, if set, is where to
# save a screenshot of it.
e2e_open_conversion_window() {
  local splash
  splash=$(e2e_splash_window) || return 1
  e2e_no_window "Grid Reference Conversion" || { e2e_fail "conversion window before the splash"; return 1; }
  [[ -n "${SPLASH_SHOT:-}" ]] && import -window "$splash" "$SPLASH_SHOT"
  xdotool mousemove 1000 740
  # A key typed before the window has the focus goes elsewhere, as it would
  # for a user: under emulation the window shows well before it takes it.
  e2e_wait_focus_on "$splash" || return 1
  e2e_key Return
  e2e_window "Grid Reference Conversion" >/dev/null || return 1
  e2e_wait_focus "Grid Reference Conversion"
}

# Prints the contrast ratio (WCAG, two decimals) of the text inside WxH+X+Y
# of a screenshot against what is behind it: the most common colour is the
# background, the text the colour of the strongest contrast that at least
# ten pixels reach (anti-aliased edges lie in between).
e2e_text_contrast() {
  convert "$1" -crop "$2" +repage -format %c histogram:info:- | awk '
    function lum(c) { c /= 255; return c <= 0.03928 ? c / 12.92 : ((c + 0.055) / 1.055) ^ 2.4 }
    {
      n = $1 + 0; sub(/^[^(]*\(/, ""); sub(/\).*/, ""); split($0, c, ",")
      count[NR] = n; l[NR] = 0.2126 * lum(c[1]) + 0.7152 * lum(c[2]) + 0.0722 * lum(c[3])
      if (n > most) { most = n; bg = NR }
    }
    END {
      for (i in l) ratio[i] = (l[i] > l[bg]) ? (l[i] + 0.05) / (l[bg] + 0.05) : (l[bg] + 0.05) / (l[i] + 0.05)
      # The strongest contrast reached by ten pixels together.
      best = 1; for (i in l) if (i != bg) {
        total = 0; for (j in l) if (j != bg && ratio[j] >= ratio[i]) total += count[j]
        if (total >= 10 && ratio[i] > best) best = ratio[i]
      }
      printf "%.2f\n", best
    }'
}
