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
# The 32-bit program: nothing that runs before its SSE2 check uses SSE. The
# code reachable from the entry point and the TLS callbacks (run by the
# loader before it), by direct calls and jumps, up to the C runtime's
# start-up (from the link map), holds no SSE instruction and no indirect
# call or jump but through the import table.
map=${exe%.exe}.map
if [[ "$("$tools-objdump" -f "$exe")" == *pei-i386* ]]; then
  headers=$("$tools-objdump" -p "$exe")
  dwords() { # COUNT little-endian dwords of the image from a virtual address
    "$tools-objdump" -s --start-address=$(($1)) --stop-address=$(($1 + 4 * $2)) "$exe" |
      awk '/^ [0-9a-f]+ / { for (i = 2; i <= 5; i++) if ($i ~ /^[0-9a-f]+$/ && length($i) == 8) print $i }' |
      sed -E 's/(..)(..)(..)(..)/0x\4\3\2\1/'
  }
  base=0x$(awk '$1 == "ImageBase" {print $2}' <<<"$headers")
  roots=$((base + 0x$(awk '$1 == "AddressOfEntryPoint" {print $2}' <<<"$headers")))
  tls=$(awk '/Thread Storage Directory/ {print $3}' <<<"$headers")
  if [[ -n $tls && $tls != 00000000 ]]; then
    list=$(dwords $((base + 0x$tls)) 4 | sed -n 4p)
    for ((i = 0; i < 64; i++)); do
      callback=$(dwords $((list + 4 * i)) 1)
      [[ -z $callback || $callback == 0x00000000 ]] && break
      roots+=" $((callback))"
    done
  fi
  start=$(awk '$2 == "WinMainCRTStartup" { print $1 }' "$map" 2>/dev/null | head -n 1)
  [[ -n $start ]] || fail "no link map with the runtime's start-up beside the program ($map)"
  # Import table slots: the first thunk of each DLL, then one slot a function.
  slots=$(awk -v base=$((base)) '
    /^ [0-9a-f]+\t[0-9a-f]+ [0-9a-f]+ [0-9a-f]+ [0-9a-f]+ [0-9a-f]+$/ { first[n++] = $6 }
    /DLL Name:/ { slot = base + hex(first[dll++]); next }
    dll && /^\t[0-9a-f]+\t/ { k = split($0, f, /[ \t]+/); print slot, f[k]; slot += 4 }
    function hex(h,   v, i) { v = 0; for (i = 1; i <= length(h); i++) v = v * 16 + index("0123456789abcdef", substr(h, i, 1)) - 1; return v }
  ' <<<"$headers")
  # Code addresses kept in the image: the start-up tables (.CRT), and the
  # initial values of pointers that an indirect call reads.
  read -r text_start text_size < <("$tools-objdump" -h "$exe" | awk '$2 == ".text" { print $4, $3 }')
  crt=$("$tools-objdump" -s -j .CRT "$exe" 2>/dev/null |
    awk '/^ [0-9a-f]+ / { for (i = 2; i <= 5; i++) if ($i ~ /^[0-9a-f]+$/ && length($i) == 8) print $i }' |
    sed -E 's/(..)(..)(..)(..)/0x\4\3\2\1/' | xargs)
  words=$(mktemp)
  trap 'rm -f "$words"' EXIT
  "$tools-objdump" -s -j .data -j .rdata "$exe" |
    awk '/^ [0-9a-f]+ / { for (i = 2; i <= 5; i++) if ($i ~ /^[0-9a-f]+$/ && length($i) == 8) print $1, i - 2, $i }' >"$words"
  walk=$("$tools-objdump" -d --no-show-raw-insn "$exe" | awk -v roots="$roots" -v stop=$((start)) \
    -v slots="$slots" -v crt="$crt" -v words="$words" -v lo=$((0x$text_start)) \
    -v hi=$((0x$text_start + 0x$text_size)) '
    function hex(h,   v, i) { h = tolower(h); sub(/^0x/, "", h); v = 0
      for (i = 1; i <= length(h); i++) v = v * 16 + index("0123456789abcdef", substr(h, i, 1)) - 1
      return v }
    function le(w) { return hex(substr(w, 7, 2) substr(w, 5, 2) substr(w, 3, 2) substr(w, 1, 2)) }
    function code(v) { if (v >= lo && v < hi) queue[++k] = v }
    BEGIN { n = split(slots, s, "\n"); for (i = 1; i <= n; i++) { split(s[i], f, " "); import[f[1]] = f[2] }
      noreturn["ExitProcess"] = noreturn["ExitThread"] = noreturn["abort"] = noreturn["exit"] = noreturn["_exit"] = 1
      while ((getline line < words) > 0) { split(line, f, " "); word[hex(f[1]) + 4 * f[2]] = le(f[3]) } }
    /^ +[0-9a-f]+:\t/ { a = hex(substr($1, 1, length($1) - 1)); sub(/^ +[0-9a-f]+:\t/, ""); text[a] = $0; if (last != "") next_of[last] = a; last = a }
    END {
      k = split(roots, queue, " "); n = split(crt, c, " "); for (i = 1; i <= n; i++) code(hex(c[i]))
      head = 1
      while (head <= k) {
        a = queue[head++] + 0
        while ((a in text) && !(a in seen) && a != stop) {
          seen[a] = 1; walked++; t = text[a]
          if (t ~ /%xmm|%ymm|%mm[0-7]|mfence|lfence|clflush|movnti|maskmov/) { print "SSE: " sprintf("%x", a) ": " t; bad++ }
          split(t, w, /[ \t]+/); op = w[1]
          # A code address taken (a function pointer handed on) is code that may run.
          if (match(t, /\$0x[0-9a-f]+/)) code(hex(substr(t, RSTART + 1, RLENGTH - 1)))
          target = ""
          if (match(t, /[ \t](0x)?[0-9a-f]+( <[^>]*>)?$/)) { split(substr(t, RSTART + 1), w2, " "); target = hex(w2[1]) }
          if (op ~ /^(call|jmp)/ && t ~ /\*/) {
            slot = ""; if (match(t, /\*0x[0-9a-f]+$/)) slot = hex(substr(t, RSTART + 2))
            if (slot in import) { if (op ~ /^jmp/ || import[slot] in noreturn) break }
            else if (slot != "") { code(word[slot]); pointers++; if (op ~ /^jmp/) break }
            else { registers++; if (op ~ /^jmp/) break }
          } else if (op ~ /^j/ && target != "") {
            queue[++k] = target; if (op ~ /^jmp/) break
          } else if (op ~ /^call/ && target != "") {
            queue[++k] = target
          } else if (op ~ /^(ret|hlt|ud2|int3)/) break
          a = next_of[a]
        }
        if (a == stop) reached++
      }
      # A walk that never got to the C runtime walked nothing that matters.
      if (!walked || !reached) { print "the walk never reached the C runtime'"'"'s start-up"; bad++ }
      printf "%d instructions walked from %d roots and %d start-up table entries, %d calls through pointers followed, %d through registers (to what the walk took), %d faults\n", walked, split(roots, r, " "), n, pointers + 0, registers + 0, bad + 0
    }')
  echo "before the SSE2 check: $(tail -n 1 <<<"$walk")"
  grep -v 'instructions walked' <<<"$walk" | while read -r line; do echo "FAIL: $line"; done
  [[ $roots != "$((start))"* ]] || fail "the entry point is the C runtime's start-up: the check is not first"
  [[ $(tail -n 1 <<<"$walk") == *" 0 faults" ]] || failed=1
fi

[[ $failed -eq 0 ]] && echo "program file: imports and resources as designed"
exit $failed
