#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine and runs every test: the normal build
# (Unix Makefiles, warnings as errors) and clang-tidy, the whole suite again
# under AddressSanitizer and UndefinedBehaviorSanitizer, a bounded fuzz
# pass, and the Windows programs: both cross-built and tested under Wine of
# their own architecture (the 32-bit one where the kernel runs 32-bit
# programs; elsewhere its Wine tests are reported skipped, with why).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh test

status=0
for preset in ci asan fuzz windows-x64 windows-x86 web; do
  echo "== $preset: configure, build, test"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset" || status=1
  if [[ $preset == ci ]]; then scripts/clang-tidy.sh build/ci || status=1; fi
done
exit $status
