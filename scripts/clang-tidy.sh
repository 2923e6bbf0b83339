#!/usr/bin/env bash
# Runs clang-tidy over core/ and ui/ with the compile commands of a build
# (default: build/ci). Any finding fails.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/ci}
files=$(git ls-files 'core/*.cpp' 'ui/*.cpp')
# shellcheck disable=SC2086
clang-tidy --quiet -p "$build" $files 2>&1 | grep -v -E '^[0-9]+ warnings? generated\.$|^Suppressed|^Use -header-filter' || true
# shellcheck disable=SC2086
clang-tidy --quiet -p "$build" $files >/dev/null 2>&1
echo "clang-tidy: no findings in $(wc -w <<<"$files") files"
