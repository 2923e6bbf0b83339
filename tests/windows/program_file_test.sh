#!/usr/bin/env bash
# Reads the built program file back: it imports only DLLs every Windows has,
# and nothing that Windows 7 SP1 lacks; it carries the icon group (three images), the version record and the
# manifest. Usage: program_file_test.sh EXE TOOL_PREFIX (x86_64-w64-mingw32)
set -uo pipefail
exe=$1 tools=$2
failed=0
fail() { echo "FAIL: $*"; failed=1; }

# DLLs of Windows 7 SP1 itself: not shcore, ucrtbase, vcruntime or the
# api-ms-win-* sets of later systems.
system_dlls='^(kernel32|user32|gdi32|comctl32|advapi32|shell32|ole32|oleaut32|msvcrt|ws2_32|uxtheme|imm32|version)\.dll$'
# "dll function" for every function imported by name.
imports=$("$tools-objdump" -p "$exe" | awk -F'\t' '
  /DLL Name:/ { split($0, a, ": "); dll = tolower(a[2]); print dll, "-"; next }
  dll && NF >= 3 && $2 ~ /^ *[0-9a-f]+$/ { n = split($3, f, " "); print dll, f[n] }')
[[ -n "$imports" ]] || fail "no import table read"
newer=$(grep -v '^#' "$(dirname "$0")/newer-than-windows7.txt")
while read -r dll function; do
  [[ "$dll" =~ $system_dlls ]] || fail "imports $dll"
  grep -qxF -- "$function" <<<"$newer" && fail "imports $function from $dll (newer than Windows 7)"
done <<<"$imports"
echo "imports: $(awk '$2 == "-" {printf "%s ", $1}' <<<"$imports")($(grep -vc ' -$' <<<"$imports") functions)"

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
expect 'level=""asInvoker""'
for os in 35138b9a-5d96-4fbd-8e2d-a2440225f93a 4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38 \
  1f676c76-80e1-4239-95bb-83d0f6d0da78 8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a; do
  expect "supportedOS Id=\"\"{$os}\"\""  # Windows 7, 8, 8.1, 10 and 11
done
expect 'Microsoft.Windows.Common-Controls'
expect 'version=""6.0.0.0""'
[[ $failed -eq 0 ]] && echo "program file: imports and resources as designed"
exit $failed
