#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine and runs every test: the normal build
# with warnings as errors and clang-tidy, then the whole suite again under
# AddressSanitizer and UndefinedBehaviorSanitizer, then a bounded fuzz pass.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh test

for preset in ci asan; do
  echo "== $preset: configure, build, test"
  cmake --preset "$preset"
  cmake --build --preset "$preset"
  ctest --preset "$preset"
  if [[ $preset == ci ]]; then scripts/clang-tidy.sh build/ci; fi
done

echo "== fuzz: a bounded pass of each libFuzzer target (clang)"
cmake --preset fuzz
cmake --build --preset fuzz
ctest --preset fuzz
