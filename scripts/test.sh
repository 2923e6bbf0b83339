#!/usr/bin/env bash
# Sets up a fresh Debian 13 or 12 machine and runs every test: the normal
# build (Unix Makefiles, warnings as errors) and clang-tidy, the whole suite
# again under AddressSanitizer and UndefinedBehaviorSanitizer, a bounded fuzz
# pass, the Windows programs, both cross-built and tested under Wine of
# their own architecture (the 32-bit one natively where the kernel runs
# 32-bit programs, elsewhere under qemu-user), and the web page.
# Usage: test.sh [PRESET...]   (default: every preset; the Linux program's
# alone, ci asan fuzz, install only what they use)
set -euo pipefail
cd "$(dirname "$0")/.."

all=(ci asan fuzz windows-x64 windows-x86 web)
presets=("${@:-${all[@]}}")
group=test-linux
for preset in "${presets[@]}"; do
  [[ " ${all[*]} " == *" $preset "* ]] || { echo "test.sh: no preset '$preset'" >&2; exit 2; }
  [[ " ci asan fuzz " == *" $preset "* ]] || group=test
done
scripts/install-deps.sh "$group"

status=0
for preset in "${presets[@]}"; do
  echo "== $preset: configure, build, test"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset" || status=1
  if [[ $preset == ci ]]; then scripts/clang-tidy.sh build/ci || status=1; fi
done

# Said last, where it is seen: a run that could not execute the 32-bit program.
[[ " ${presets[*]} " == *" windows-x86 "* ]] || exit $status
x86=$(bash scripts/with-32-bit.sh bash -c 'echo "$QUADRANGLER_X86 ${QUADRANGLER_X86_WHY:-}"' 2>/dev/null) || true
if [[ $x86 == none* ]]; then
  echo "NOTE: the 32-bit Windows program's tests were SKIPPED: ${x86#none }."
  echo "NOTE: the README's test figures do not hold for x86 on this machine."
elif [[ $x86 == emulated* ]]; then
  echo "The 32-bit Windows program's tests ran under qemu-user."
else
  echo "The 32-bit Windows program's tests ran natively."
fi
exit $status
