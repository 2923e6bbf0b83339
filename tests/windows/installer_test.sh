#!/usr/bin/env bash
# The installer under Wine: a silent install puts the program into Program
# Files with its licence, a Start-menu shortcut that starts it, and an entry
# under the installed programs; a silent uninstall takes them all away. The
# .zip holds the program file, its licence and a readme.
# Usage: installer_test.sh SETUP_EXE ZIP PROGRAM_FILES_FOLDER   (WINEPREFIX set)
set -uo pipefail
here=$(dirname "$0")
source "$here/../e2e/driver.sh"
setup=$1 zip=$2 program_files=$3
# Wine's own commands in the installer's architecture: a 32-bit one writes
# the 32-bit view of the registry.
[[ $program_files == *x86* ]] && export WINE_ARCH=32
wine=(bash "$here/wine-run.sh")
"${wine[@]}" --can-run "$setup" || exit $?
wineserver=$(dirname "$(command -v wine64 || echo /usr/lib/wine/wine64)")/wineserver
drive=$WINEPREFIX/drive_c
program="$drive/$program_files/Quadrangler/quadrangler.exe"
shortcut="$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/3 x 3-Minute Quadrangler.lnk"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quadrangler'
failed=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAIL: $1"; failed=1; fi; }
trap 'e2e_kill; e2e_stop_display' EXIT
# One display for the whole run: Wine's session keeps the display of its
# first program, and a program started later would show nothing.
e2e_start_display && e2e_start_wm || exit 1
e2e_end_wine_session

check "the .zip holds the program file, its licence and a readme" \
  '[[ "$(unzip -Z1 "$zip" | sort | xargs)" == "LICENSE.txt README.txt quadrangler.exe" ]]'

"${wine[@]}" "$setup" /S # returns when the installer has ended
check "installed into $program_files" '[[ -f "$program" ]]'
check "the licence beside it" '[[ -f "$(dirname "$program")/LICENSE.txt" ]]'
check "a Start-menu shortcut to it" \
  '[[ -f "$shortcut" ]] && grep -aq "Quadrangler.quadrangler.exe" "$shortcut"'
check "listed under the installed programs" \
  '"${wine[@]}" reg query "$key" /v UninstallString 2>/dev/null | grep -q uninstall.exe'

# Started from the shortcut, as the Start menu would: the title window,
# then the conversion window, then Escape ends it.
"${wine[@]}" start /wait /unix "$shortcut" &
E2E_PID=$!
started() {
  local deadline=$((SECONDS + E2E_TIMEOUT))
  until xdotool search --onlyvisible --classname '^quadrangler\.exe$' >/dev/null 2>&1; do
    ((SECONDS < deadline)) || return 1
    sleep 0.1
  done
  e2e_key Return && e2e_window "Grid Reference Conversion" >/dev/null &&
    e2e_key Escape && e2e_wait_exit
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
check "uninstalled: no longer listed" '! "${wine[@]}" reg query "$key" >/dev/null 2>&1'
"$wineserver" -k 2>/dev/null
exit $failed
