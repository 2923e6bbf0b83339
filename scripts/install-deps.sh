#!/usr/bin/env bash
# Installs the Debian packages a group of tasks needs, only those missing, on
# Debian 12 or 13: the names are those that follow the release's own
# versions (clang, LLVM, Qt, Wine).
# Usage: install-deps.sh [run|windows|web|test-linux|test]...
#   run         build and run the program (headless runs drive it on Xvfb)
#   windows     cross-build the Windows program and its installer
#   web         build the web page (WebAssembly)
#   test-linux  what the Linux program's tests use (presets ci, asan, fuzz):
#               an accessibility bus and its Python client to hear the
#               program among them
#   test        everything the test command uses, the Windows programs and
#               the page included: the 32-bit Wine too, and qemu-user to run
#               it where the kernel refuses 32-bit programs; Chromium for the
#               page
set -euo pipefail

run=(cmake ninja-build g++ qt6-base-dev qt6-wayland fonts-comic-neue fonts-liberation2
  xvfb xdotool xclip x11-utils imagemagick)
windows=(cmake ninja-build googletest g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  binutils-mingw-w64-x86-64 binutils-mingw-w64-i686 nsis)
# The release's own LLVM (14 on Debian 12, 19 on Debian 13), by the names
# that follow it from release to release.
web=(cmake ninja-build googletest clang lld llvm wasi-libc libc++-dev-wasm32
  libclang-rt-dev-wasm32 binaryen nodejs)
# MinGW's windres among them: the Windows version record is checked here too.
test_linux=("${run[@]}" make libgtest-dev libbenchmark-dev libxcb1-dev binutils-mingw-w64-x86-64
  openbox weston xwayland appstream desktop-file-utils dpkg-dev lintian devscripts man-db file
  clang clang-tidy libclang-rt-dev qt6-base-private-dev qt6-gtk-platformtheme
  at-spi2-core dbus-daemon python3-gi gir1.2-atspi-2.0)
# The page's three engines: Chromium, Firefox ESR, and WebKitGTK's MiniBrowser
# with its WebDriver (locales: a German run of WebKit takes the C library's).
test=("${test_linux[@]}" "${windows[@]}" "${web[@]}" chromium firefox-esr webkit2gtk-driver locales
  wine64 unzip)

wanted=()
for group in "${@:-run}"; do
  case "$group" in
    run) wanted+=("${run[@]}") ;;
    windows) wanted+=("${windows[@]}") ;;
    web) wanted+=("${web[@]}") ;;
    test-linux) wanted+=("${test_linux[@]}") ;;
    test) wanted+=("${test[@]}") ;;
    *) echo "install-deps: unknown group '$group'" >&2; exit 2 ;;
  esac
done

# The 32-bit Windows program runs under Debian's 32-bit Wine, from the i386
# architecture; where the kernel refuses 32-bit programs, under qemu-user,
# which also plays the processor without SSE2 everywhere.
if [[ " ${*:-run} " == *" test "* ]]; then
  wanted+=(wine32:i386 qemu-user-static)
fi

# Some Node.js builds bring npm (and conflict with Debian's); Debian's is a
# package of its own.
if [[ " ${wanted[*]} " == *" nodejs "* ]] && ! command -v npm >/dev/null; then
  wanted+=(npm)
fi

missing=()
for pkg in "${wanted[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$pkg")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
echo "Installing: ${missing[*]}"
if [[ " ${missing[*]} " == *:i386* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo[@]}" dpkg --add-architecture i386
fi
"${sudo[@]}" apt-get update -qq ||
  echo "install-deps: apt-get update failed in part (above); going on with the indexes it has" >&2
install() {
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
    "$@" >/dev/null
}
# The i386 packages come last and alone: where the mirror's i386 index lags
# behind the amd64 libraries installed, apt refuses them, and then only the
# 32-bit tests fail (saying why), not the whole run.
native=() foreign=()
for pkg in "${missing[@]}"; do
  if [[ $pkg == *:i386 ]]; then foreign+=("$pkg"); else native+=("$pkg"); fi
done
[[ ${#native[@]} -eq 0 ]] || install "${native[@]}"
if [[ ${#foreign[@]} -gt 0 ]] && ! install "${foreign[@]}"; then
  echo "install-deps: apt could not install ${foreign[*]}: the 32-bit Windows tests will fail" >&2
fi
