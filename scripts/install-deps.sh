#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need,
# only those that are missing. Usage: install-deps.sh [build|run|test]...
set -euo pipefail

build=(cmake ninja-build g++ libgtest-dev libbenchmark-dev qt6-base-dev libxcb1-dev)
run=(fonts-comic-neue fonts-liberation2 xvfb xdotool xclip x11-utils imagemagick)
test=("${run[@]}" binutils-mingw-w64-x86-64 appstream desktop-file-utils dpkg-dev file
  clang clang-tidy libclang-rt-14-dev)

wanted=()
for group in "${@:-build}"; do
  case "$group" in
    build) wanted+=("${build[@]}") ;;
    run) wanted+=("${build[@]}" "${run[@]}") ;;
    test) wanted+=("${build[@]}" "${test[@]}") ;;
    *) echo "install-deps: unknown group '$group'" >&2; exit 2 ;;
  esac
done

missing=()
for pkg in "${wanted[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$pkg")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
