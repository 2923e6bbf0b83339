#!/usr/bin/env bash
# End-to-end: the real program in Xvfb, on a bare server or under openbox,
# driven with xdotool and read back with xclip.
# Usage: conversion_e2e.sh PROGRAM bare|openbox
set -uo pipefail
here=$(dirname "$0")
# shellcheck source=driver.sh
source "$here/driver.sh"
E2E_PROGRAM=$(realpath "$1")
mode=${2:-bare}
GRIDREF="Grid Reference Conversion"
shots=$(mktemp -d)
trap 'e2e_kill; e2e_stop_display; rm -rf "$shots"' EXIT

start_program() {
  e2e_launch
  e2e_open_conversion_window
}

# Types 26 14 28 29 into the four fields, then Tab as many times as asked.
type_position() {
  e2e_type 26; e2e_key Tab; e2e_type 14; e2e_key Tab; e2e_type 28; e2e_key Tab; e2e_type 29
  local tabs
  for ((tabs = 0; tabs < ${1:-0}; tabs++)); do e2e_key Tab; done
}

# Copies the label with the button and checks what it held.
label_is() {
  e2e_set_clipboard "sentinel"
  e2e_click "$GRIDREF" CmdClipboard
  e2e_wait_clipboard "$1"
}

# The window's buttons and the label between them, and where the Convert
# button and the default border are drawn.
buttons_area=321x153+184+168

converts_and_copies() {
  e2e_set_clipboard "sentinel"
  start_program || return 1
  type_position
  e2e_key Return
  e2e_click "$GRIDREF" CmdClipboard
  [[ "$(e2e_clipboard)" == 2628AB25 ]] || e2e_fail "clipboard '$(e2e_clipboard)'"
}

refused_entry_then_retry_and_type_at_once() {
  start_program || return 1
  e2e_type 5; e2e_key Tab
  e2e_window "SA Limits?" >/dev/null || return 1
  e2e_key Return # Retry, the default
  e2e_wait_focus "$GRIDREF" || return 1
  e2e_type 26 # straight into the emptied field
  e2e_key Return
  e2e_click "$GRIDREF" CmdClipboard
  [[ "$(e2e_clipboard)" == 260AA1 ]] || e2e_fail "clipboard '$(e2e_clipboard)'"
}

click_leaving_a_refused_field_is_dropped() {
  start_program || return 1
  e2e_screenshot "$GRIDREF" "$shots/before.png" || return 1
  e2e_type 5
  e2e_click "$GRIDREF" cmdConvert
  e2e_window "SA Limits?" >/dev/null || return 1
  e2e_key Return
  e2e_wait_focus "$GRIDREF" || return 1
  e2e_pause 0.3
  e2e_screenshot "$GRIDREF" "$shots/after.png" || return 1
  # Convert must not be drawn pressed: its pixels are as before the click.
  local diff
  diff=$(e2e_pixels_differing "$shots/before.png" "$shots/after.png" 137x41+184+168)
  [[ "$diff" == 0 ]] || { e2e_fail "Convert looks different after the box ($diff pixels)"; return 1; }
  # Nor did the click convert: the label is still empty when copied.
  e2e_set_clipboard "sentinel"
  e2e_type 26
  e2e_click "$GRIDREF" CmdClipboard
  [[ "$(e2e_clipboard)" == "" ]] || e2e_fail "label held '$(e2e_clipboard)'"
}

# While a button has the focus, Enter presses that button.
enter_on_focused_copy_copies() {
  start_program || return 1
  type_position; e2e_key Return
  e2e_click "$GRIDREF" txtDegSouth; e2e_key ctrl+a; e2e_type 30
  e2e_click "$GRIDREF" CmdClipboard
  e2e_set_clipboard "sentinel"
  e2e_key Return # copies the label, 2628AB25: no Convert to 3028AB25
  e2e_wait_clipboard 2628AB25
}

enter_on_focused_convert_converts() {
  start_program || return 1
  type_position 1
  e2e_key Return
  label_is 2628AB25
}

enter_on_focused_exit_exits() {
  start_program || return 1
  type_position 2
  e2e_key Return
  e2e_wait_exit
}

# Access keys need Alt: a plain x on any button does nothing.
plain_x_on_a_button_does_nothing() {
  start_program || return 1
  type_position; e2e_key Return
  e2e_key Tab x Tab x Tab x # on Convert, Exit and Copy to Clipboard
  e2e_pause 0.5
  kill -0 "$E2E_PID" 2>/dev/null || { e2e_fail "the program ended"; return 1; }
  e2e_no_window "SA Limits?" || { e2e_fail "a box opened"; return 1; }
  label_is 2628AB25
}

# The field left by Shift+Tab is refused; after Retry the caret is back in
# it, and Convert, not the button Shift+Tab reached, wears the default
# border: as drawn before, and pressed by Enter.
default_border_back_on_convert_after_retry() {
  start_program || return 1
  e2e_screenshot "$GRIDREF" "$shots/before.png" || return 1
  e2e_key shift+Tab
  e2e_window "SA Limits?" >/dev/null || return 1
  e2e_key Return # Retry
  e2e_wait_focus "$GRIDREF" || return 1
  e2e_pause 0.3
  e2e_screenshot "$GRIDREF" "$shots/after.png" || return 1
  local diff
  diff=$(e2e_pixels_differing "$shots/before.png" "$shots/after.png" $buttons_area)
  [[ "$diff" == 0 ]] || { e2e_fail "the buttons look different after Retry ($diff pixels)"; return 1; }
  e2e_type 26; e2e_key Return
  label_is 260AA1
}

# Ctrl+Backspace deletes the word before the caret, as in the richer edits
# of each platform: no control character is left in the field.
ctrl_backspace_deletes_the_word_before_the_caret() {
  start_program || return 1
  e2e_type 14; e2e_key ctrl+BackSpace; e2e_type 26
  e2e_key Tab; e2e_type 14; e2e_key Tab; e2e_type 28; e2e_key Tab; e2e_type 29
  e2e_key Return
  e2e_no_window "SA Limits?" || { e2e_fail "a box opened"; return 1; }
  label_is 2628AB25
}

# Where each text of the two windows lies, inside its control, clear of
# frames, the picture and the overlapping neighbours (96 dpi).
declare -A TEXT_AREA=(
  [lblHeader]=503x38+8+0 [lblDegSouth]=153x25+32+64 [lblMinSouth]=150x25+280+64
  [lblDegEast]=153x25+32+112 [lblMinEast]=150x25+280+112 [lblGridRef]=185x49+160+232
  [txtDegSouth]=27x19+195+67 [txtMinSouth]=27x19+435+67 [txtDegEast]=27x19+195+115
  [txtMinEast]=27x19+435+115 [cmdConvert]=120x30+192+173 [cmdExit]=73x33+428+284
  [CmdClipboard]=121x19+196+299
  [lblTitle1]=120x27+155+57 [lblTitle2]=200x45+180+90 [lblProgVersion]=80x18+372+189
  [lblCopyright]=150x13+313+213 [lblCompany]=150x15+313+227
)
splash_texts=(lblTitle1 lblTitle2 lblProgVersion lblCopyright lblCompany)
gridref_texts=(lblHeader lblDegSouth lblMinSouth lblDegEast lblMinEast lblGridRef txtDegSouth
  txtMinSouth txtDegEast txtMinEast cmdConvert cmdExit CmdClipboard)

# Every text of both windows, the result included, at least 4.5:1 against
# what is behind it. Usage: texts_readable NAME [dark]
texts_readable() {
  SPLASH_SHOT="$shots/$1-splash.png" start_program || return 1
  type_position; e2e_key Return
  e2e_pause 0.3
  e2e_screenshot "$GRIDREF" "$shots/$1-gridref.png" || return 1
  if [[ ${2:-} == dark ]]; then
    # The title window's face is the desktop's: dark, or the scheme is not in force.
    local face
    face=$(convert "$shots/$1-splash.png" -crop 1x1+3+3 -format '%[fx:round(100*luminance)]' info:)
    ((face < 50)) || { e2e_fail "no dark scheme: the title window's face is ${face}% light"; return 1; }
  fi
  local control ratio window failed=0
  for control in "${splash_texts[@]}" "${gridref_texts[@]}"; do
    window=gridref
    [[ " ${splash_texts[*]} " == *" $control "* ]] && window=splash
    ratio=$(e2e_text_contrast "$shots/$1-$window.png" "${TEXT_AREA[$control]}")
    echo "  $1 $control $ratio:1"
    awk -v r="$ratio" 'BEGIN { exit !(r >= 4.5) }' || { e2e_fail "$control: $ratio:1"; failed=1; }
  done
  ((failed == 0))
}

texts_readable_on_a_light_desktop() { texts_readable light; }

# A dark desktop gives light text colours; the fixed backgrounds stay light.
# Linux: a dark GTK theme. Windows: a dark scheme in Wine's registry, read
# as the program starts, and put back at once.
texts_readable_on_a_dark_desktop() {
  if [[ $E2E_PROGRAM != *.exe ]]; then
    QT_QPA_PLATFORMTHEME=gtk3 GTK_THEME=Adwaita:dark texts_readable dark dark
    return
  fi
  local colours='HKCU\Control Panel\Colors' name value saved=() status
  local wine=(bash "$here/../windows/wine-run.sh")
  for name in ButtonFace Menu ButtonText Window WindowText; do
    value=$("${wine[@]}" reg query "$colours" /v $name 2>/dev/null |
      awk -v n=$name '$1 == n {print $3, $4, $5}' | tr -d '\r')
    saved+=("$name" "${value:-}")
  done
  set_colour() { "${wine[@]}" reg add "$colours" /v "$1" /d "$2" /f >/dev/null 2>&1; }
  set_colour ButtonFace "0 0 0"; set_colour Menu "0 0 0"; set_colour ButtonText "255 255 0"
  set_colour Window "0 0 0"; set_colour WindowText "255 255 255"
  texts_readable dark dark
  status=$?
  for ((i = 0; i < ${#saved[@]}; i += 2)); do
    if [[ -n "${saved[i + 1]}" ]]; then set_colour "${saved[i]}" "${saved[i + 1]}"
    else "${wine[@]}" reg delete "$colours" /v "${saved[i]}" /f >/dev/null 2>&1; fi
  done
  return $status
}

alt_x_ends_with_status_0() {
  start_program || return 1
  e2e_type 5
  e2e_key alt+x
  e2e_wait_exit || return 1
  e2e_no_window "SA Limits?" || e2e_fail "a box opened"
}

cancel_ends_with_status_0() {
  start_program || return 1
  e2e_type 99; e2e_key Tab
  e2e_window "SA Limits?" >/dev/null || return 1
  e2e_key Escape
  e2e_wait_exit
}

escape_ends_with_status_0() {
  start_program || return 1
  e2e_key Escape
  e2e_wait_exit
}

both_windows_are_centred() {
  e2e_launch
  local splash
  splash=$(e2e_splash_window) || return 1
  e2e_check_centred "$splash" "the title window" || return 1
  e2e_wait_focus_on "$splash" || return 1
  e2e_key Return
  e2e_check_centred "$(e2e_window "$GRIDREF")" "the conversion window"
}

# Keys without a character and clicks off the frame's own surface leave the
# title window; Escape dismisses it without ending the run.
splash_ignores_all_but_keys_and_frame_clicks() {
  e2e_launch
  local splash
  splash=$(e2e_splash_window) || return 1
  e2e_wait_focus_on "$splash" || return 1
  e2e_key shift; e2e_key Left; e2e_key F5
  e2e_click_in "$splash" imgLogo; e2e_click_in "$splash" lblTitle1
  e2e_pause 0.3
  e2e_no_window "$GRIDREF" || { e2e_fail "dismissed by a key or click that does not count"; return 1; }
  e2e_click_in "$splash" Frame1
  e2e_window "$GRIDREF" >/dev/null || return 1
  e2e_kill
  e2e_launch
  splash=$(e2e_splash_window) || return 1
  e2e_wait_focus_on "$splash" || return 1
  e2e_key Escape
  e2e_window "$GRIDREF" >/dev/null
}

# The key that dismisses the title window, held on: its repeats go nowhere.
held_key_on_the_splash_repeats_nothing() {
  e2e_launch
  local splash opened=0
  splash=$(e2e_splash_window) || return 1
  e2e_wait_focus_on "$splash" || return 1
  xdotool keydown 2
  e2e_wait_focus "$GRIDREF" || opened=1
  sleep 1.5 # well past the X server's repeat delay
  xdotool keyup 2
  ((opened == 0)) || return 1
  type_position
  e2e_key Return
  label_is 2628AB25
}

if [[ $E2E_PROGRAM == *.exe ]]; then
  bash "$here/../windows/wine-run.sh" --can-run "$E2E_PROGRAM" || exit $?
fi
e2e_start_display || exit 1
if [[ $mode == openbox ]]; then e2e_start_wm || exit 1; fi
[[ $E2E_PROGRAM == *.exe ]] && e2e_end_wine_session
passed=0 failed=0
# The scenarios of this program, from the table that the page's share.
kind=qt
[[ $E2E_PROGRAM == *.exe ]] && kind=exe
mapfile -t scenarios < <(awk -v kind=$kind \
  '!/^#/ { for (i = 2; i <= NF; i++) if ($i == kind) print $1 }' "$here/scenarios.txt")
for scenario in "${scenarios[@]}"; do
  if "$scenario"; then
    passed=$((passed + 1)); echo "PASS: $scenario"
  else
    failed=$((failed + 1)); echo "FAIL: $scenario"
    import -window root "$PWD/$mode.$scenario.failed.png" 2>/dev/null &&
      echo "  screen at the failure: $PWD/$mode.$scenario.failed.png"
  fi
  e2e_kill
done
echo "$mode: $passed passed, $failed failed"
[[ $failed -eq 0 ]]
