#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh test
cmake --preset ci
cmake --build --preset ci
ctest --preset ci
