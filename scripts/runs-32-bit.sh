#!/usr/bin/env bash
# Exits 0 when this machine's kernel runs 32-bit x86 programs (and so the
# 32-bit Wine), 1 when it refuses them ("Exec format error": a kernel built
# or booted without IA32 emulation). Tried on a 96-byte static program.
# --how: also prints how it ran: native, or emulated (through a qemu-user
# handler the machine has registered, which traces it when asked).
set -u
elf=$(mktemp) trace=$(mktemp)
trap 'rm -f "$elf" "$trace"' EXIT
# ELF header, one loadable segment, then: mov eax,1; mov ebx,7; int 0x80.
printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000' >"$elf"
printf '\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000' >>"$elf"
printf '\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000\000\000\000\000' >>"$elf"
printf '\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010' >>"$elf"
printf '\140\000\000\000\140\000\000\000\005\000\000\000\000\020\000\000' >>"$elf"
printf '\270\001\000\000\000\273\007\000\000\000\315\200' >>"$elf"
chmod +x "$elf"
QEMU_STRACE=1 "$elf" 2>"$trace"
[[ $? -eq 7 ]] || exit 1
if [[ ${1:-} == --how ]]; then
  if grep -q 'exit(7)' "$trace"; then echo emulated; else echo native; fi
fi
exit 0
