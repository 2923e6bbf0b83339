#!/usr/bin/env bash
# The installer under Wine: a silent install puts the program into Program
# Files with its licence, a Start-menu shortcut that starts it, and an entry
# under the installed programs; it first removes an install of the other
# architecture (one product: one entry, one shortcut), and an install of its
# own; a silent uninstall takes them all away. The installer shows the
# program's icon. The .zip holds the program file, its licence and a readme
# in one folder named after it.
# Usage: installer_test.sh SETUP_EXE ZIP PROGRAM_FILES_FOLDER   (WINEPREFIX set)
set -uo pipefail
here=$(dirname "$0")
source "$here/../e2e/driver.sh"
setup=$1 zip=$2 program_files=$3
# Wine's own commands in the installer's architecture: a 32-bit one writes
# the 32-bit view of the registry. The other architecture's view and folder.
if [[ $program_files == *x86* ]]; then
  export WINE_ARCH=32
  view=32 other_view=64 other_program_files="Program Files"
else
  view=64 other_view=32 other_program_files="Program Files (x86)"
fi
wine=("bash" "$here/wine-run.sh")
"${wine[@]}" --can-run "$setup" || exit $?
if [[ $view == 32 ]] && e2e_wine32_emulated_pie; then
  echo "SKIPPED: this 32-bit Wine (position-independent, no preloader) cannot load NSIS's stub at its fixed base under qemu-user"
  exit 77
fi
wineserver=$(dirname "$(command -v wine64 || echo /usr/lib/wine/wine64)")/wineserver
drive=$WINEPREFIX/drive_c
program="$drive/$program_files/Quadrangler/quadrangler.exe"
other_folder="$drive/$other_program_files/Quadrangler"
shortcut="$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/3 x 3-Minute Quadrangler.lnk"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quadrangler'
listed() { "${wine[@]}" reg query "$key" /v UninstallString "/reg:$1" 2>/dev/null | grep -q uninstall.exe; }
failed=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAIL: $1"; failed=1; fi; }
unpacked=$(mktemp -d)
trap 'e2e_kill; e2e_stop_display; rm -rf "$unpacked"' EXIT
# One display for the whole run: Wine's session keeps the display of its
# first program, and a program started later would show nothing.
e2e_start_display && e2e_start_wm || exit 1
e2e_end_wine_session

folder=$(basename "$zip" .zip)
in_folder="$folder/ $folder/LICENSE.txt $folder/README.txt $folder/quadrangler.exe"
check "the .zip holds the program file, its licence and a readme in $folder/" \
  '[[ "$(unzip -Z1 "$zip" | sort | xargs)" == "$in_folder" ]]'

# The icon images (RT_ICON) as windres reads them, one line each.
windres=$(command -v x86_64-w64-mingw32-windres i686-w64-mingw32-windres | head -n 1)
icons() {
  "$windres" -i "$1" -O rc 2>/dev/null | awk '/RT_ICON/ { on = 1; data = ""; next }
    on && /^END/ { print data; on = 0; next } on && !/BEGIN/ { data = data $0 }' | sort
}
unzip -q "$zip" -d "$unpacked"
same_icons() { [[ -n "$(icons "$1")" && "$(icons "$1")" == "$(icons "$2")" ]]; }
check "the installer shows the program's icon" 'same_icons "$setup" "$unpacked/$folder/quadrangler.exe"'

# An install of the other architecture: this one, moved to the other
# architecture's folder and listed in its view of the registry instead.
"${wine[@]}" "$setup" /S # returns when the installer has ended
mv "$(dirname "$program")" "$other_folder"
"${wine[@]}" reg delete "$key" /f "/reg:$view" >/dev/null 2>&1
windows_folder="C:\\$other_program_files\\Quadrangler"
for value in "DisplayName=3 x 3-Minute Quadrangler" "InstallLocation=$windows_folder" \
  "UninstallString=\"$windows_folder\\uninstall.exe\""; do
  "${wine[@]}" reg add "$key" /v "${value%%=*}" /d "${value#*=}" /f "/reg:$other_view" >/dev/null 2>&1
done
check "an install is listed in the other architecture's view" \
  'listed $other_view && [[ -f "$other_folder/quadrangler.exe" ]] && ! listed $view'

"${wine[@]}" "$setup" /S
check "the other architecture's install is gone" '[[ ! -e "$other_folder" ]]'
check "the other architecture's entry is gone" '! listed $other_view'
# Over its own install, as an update: one install, as before.
"${wine[@]}" "$setup" /S
check "installed into $program_files" '[[ -f "$program" ]]'
check "the licence beside it" '[[ -f "$(dirname "$program")/LICENSE.txt" ]]'
check "a Start-menu shortcut to it" \
  '[[ -f "$shortcut" ]] && grep -aq "Quadrangler.quadrangler.exe" "$shortcut"'
check "listed under the installed programs" 'listed $view'

# Started from the shortcut, as the Start menu would: the title window,
# then the conversion window, then Escape ends it.
"${wine[@]}" start /wait /unix "$shortcut" &
E2E_PID=$!
started() {
  local deadline=$((SECONDS + E2E_TIMEOUT)) splash
  until splash=$(xdotool search --onlyvisible --classname '^quadrangler\.exe$' 2>/dev/null |
    head -n 1) && [[ -n $splash ]]; do
    ((SECONDS < deadline)) || return 1
    sleep 0.1
  done
  # Wine 10's start /wait does not end with the program's status (4 here):
  # the program's own is checked by the scenarios, here only that it ends.
  e2e_wait_focus_on "$splash" && e2e_key Return && e2e_window "Grid Reference Conversion" >/dev/null &&
    e2e_key Escape && e2e_wait_for "the program did not end" e2e_no_window "Grid Reference Conversion" &&
    { wait "$E2E_PID" 2>/dev/null; E2E_PID=; }
}
check "the shortcut starts the program" started

uninstaller=$("${wine[@]}" reg query "$key" /v UninstallString 2>/dev/null |
  sed -n 's/.*REG_SZ *"\(.*\)".*/\1/p' | tr -d '\r')
# The uninstaller copies itself away and returns at once: wait for its copy.
"${wine[@]}" "$uninstaller" /S
gone() { [[ ! -e "$program" && ! -e "$shortcut" ]]; }
e2e_wait_for "the uninstaller did not finish" gone
check "uninstalled: the program is gone" '[[ ! -e "$program" && ! -e "$(dirname "$program")" ]]'
check "uninstalled: the shortcut is gone" '[[ ! -e "$shortcut" ]]'
check "uninstalled: listed in neither view" '! listed $view && ! listed $other_view'
"$wineserver" -k 2>/dev/null
exit $failed
