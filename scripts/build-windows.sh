#!/usr/bin/env bash
# Builds the Windows program (x64 and x86) and its installers here, with
# Debian's MinGW-w64 and NSIS; prints where they are.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh windows
for preset in windows-x64 windows-x86; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
for preset in windows-x64 windows-x86; do
  ls -l "build/$preset/bin/quadrangler.exe" build/"$preset"/quadrangler-*-setup.exe \
    build/"$preset"/quadrangler-*.zip
done
