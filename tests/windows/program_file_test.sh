#!/usr/bin/env bash
# Reads the built program file back: it imports only DLLs every Windows has,
# and carries the icon group (three images), the version record and the
# manifest. Usage: program_file_test.sh EXE TOOL_PREFIX (x86_64-w64-mingw32)
set -uo pipefail
exe=$1 tools=$2
failed=0
fail() { echo "FAIL: $*"; failed=1; }

system_dlls='^(kernel32|user32|gdi32|comctl32|advapi32|shell32|ole32|oleaut32|msvcrt|ws2_32|uxtheme|imm32|version)\.dll$'
imports=$("$tools-objdump" -p "$exe" | awk '/DLL Name:/ {print tolower($3)}')
[[ -n "$imports" ]] || fail "no import table read"
while read -r dll; do
  [[ -z "$dll" || "$dll" =~ $system_dlls ]] || fail "imports $dll"
done <<<"$imports"
echo "imports: $(tr '\n' ' ' <<<"$imports")"

rc=$("$tools-windres" -i "$exe" -O rc 2>&1) || fail "windres could not read the resources: $rc"
expect() { grep -qF -- "$1" <<<"$rc" || fail "resources lack: $1"; }
expect '0, 1, 3,	 /* Has 3 elements.  */'
expect '"\040\040\002\000", 1, 1,' # 32 x 32, 2 colours
expect '"\040\040\020\000", 1, 4,' # 32 x 32, 16 colours
expect '"\020\020\020\000", 1, 4,' # 16 x 16, 16 colours
expect 'FILEVERSION 1, 0, 0, 0'
expect 'PRODUCTVERSION 1, 0, 0, 0'
expect 'VALUE "FileVersion", "1.00"'
expect 'VALUE "ProductVersion", "1.00"'
expect 'BLOCK "040904B0"'
expect 'VALUE "Translation", 0x409, 1200' # 0x04B0, Unicode
expect '1 24 /* RT_MANIFEST */'
expect 'PerMonitorV2'
expect 'Microsoft.Windows.Common-Controls'
expect 'version=""6.0.0.0""'
[[ $failed -eq 0 ]] && echo "program file: imports and resources as designed"
exit $failed
