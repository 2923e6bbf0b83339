#!/usr/bin/env bash
# Builds the .deb from the build tree and checks what it installs, that
# Debian's checker finds no error or warning in it, that the program carries
# Debian's hardening, and that its manual page renders without a warning.
# Usage: debian_package_test.sh BUILD_DIR APP_ID DEBIAN_VERSION
set -euo pipefail
build=$1 app=$2 version=$3
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

(cd "$build" && cpack -G DEB -B "$out" >"$out/cpack.log" 2>&1) || { cat "$out/cpack.log"; exit 1; }
deb=$(ls "$out"/*.deb)
root="$out/root"
dpkg-deb -x "$deb" "$root"
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
failed=0
expect() {
  if grep -qxF "$1" <<<"$contents"; then echo "ok: $1"; else echo "missing: $1"; failed=1; fi
}
expect ./usr/bin/quadrangler
expect "./usr/share/applications/$app.desktop"
expect "./usr/share/metainfo/$app.metainfo.xml"
expect ./usr/share/man/man1/quadrangler.1.gz
expect ./usr/share/doc/quadrangler/copyright
expect ./usr/share/doc/quadrangler/changelog.gz
for size in 16 24 32 48 64 128 256; do
  expect "./usr/share/icons/hicolor/${size}x${size}/apps/$app.png"
done
field() { dpkg-deb -f "$deb" "$1"; }
[[ "$(field Package)" == quadrangler ]] || { echo "Package: $(field Package)"; failed=1; }
[[ "$(field Version)" == "$version" ]] || { echo "Version: $(field Version)"; failed=1; }
# Which Debian it is for, read here from the machine, not from the build:
# +deb13 on Debian 13, +deb12 on Debian 12.
release=$(. /etc/os-release && [[ ${ID:-} == debian ]] && echo "${VERSION_ID:-}" || true)
if [[ -n $release ]]; then
  [[ "$(field Version)" == *"+deb$release" ]] || { echo "Version $(field Version) is not for Debian $release"; failed=1; }
fi
grep -q 'libqt6widgets6' <<<"$(field Depends)" || { echo "Depends: $(field Depends)"; failed=1; }
# The header and the result are drawn in Comic Neue; without it fontconfig
# falls back to a calligraphic face.
grep -q 'fonts-comic-neue' <<<"$(field Depends)" || { echo "Depends: $(field Depends)"; failed=1; }
# The launcher runs what the package installs, with the icon it installs.
entry=$(cat "$root/usr/share/applications/$app.desktop")
grep -qx 'Exec=quadrangler' <<<"$entry" || { echo "launcher: $entry"; failed=1; }
grep -qx "Icon=$app" <<<"$entry" || { echo "launcher icon: $entry"; failed=1; }
# Docks tie the windows to the launcher by their WM_CLASS class.
grep -qx "StartupWMClass=Quadrangler" <<<"$entry" || { echo "launcher class: $entry"; failed=1; }
# The changelog's latest entry is this version (the checker does not compare).
latest=$(zcat "$root/usr/share/doc/quadrangler/changelog.gz" | head -n1)
[[ "$latest" == "quadrangler ($version) "* ]] || { echo "changelog: $latest"; failed=1; }
lintian --fail-on error,warning "$deb" || { echo "lintian found errors or warnings"; failed=1; }
# It installs on the release it was built on: every dependency is a package
# of this release's (a simulation: nothing is installed).
apt-get install -s -qq "$deb" >"$out/apt.log" 2>&1 || { cat "$out/apt.log"; echo "does not install here"; failed=1; }
# Built as Debian builds its packages: position-independent, stack
# protector, read-only relocations bound at once. Debian 12's start files
# carry no control-flow marking, so no program here links with it. Fortify
# turns only calls into checked ones whose buffer size the compiler knows
# and cannot prove safe; the program makes none, so its flag is checked
# where each of the program's sources is compiled.
# Debian 13's checker asks every architecture for AArch64's branch
# protection; the x86 counterpart is the control-flow marking above.
not_here=(--nofortify --nocfprotection)
[[ $(hardening-check --help 2>&1) == *nobranchprotection* ]] && not_here+=(--nobranchprotection)
hardening-check "${not_here[@]}" "$root/usr/bin/quadrangler" ||
  { echo "hardening-check failed"; failed=1; }
unfortified=$(awk -F'"' '/"command":/ { command = $0 }
  /"file":/ && $4 ~ /\/(core|ui)\// && command !~ /-D_FORTIFY_SOURCE=2/ { print $4 }' \
  "$build/compile_commands.json") || unfortified="no $build/compile_commands.json"
[[ -z "$unfortified" ]] || { echo "compiled without _FORTIFY_SOURCE: $unfortified"; failed=1; }
# The project has no home page or address yet: none is made up where users
# read about the program (Debian's mandatory maintainer address aside).
for file in usr/share/doc/quadrangler/copyright usr/share/man/man1/quadrangler.1.gz \
  "usr/share/metainfo/$app.metainfo.xml" "usr/share/applications/$app.desktop"; do
  if zcat -f "$root/$file" | grep -q '\.invalid'; then echo "placeholder in $file"; failed=1; fi
done
[[ -z "$(field Homepage)" ]] || { echo "Homepage: $(field Homepage)"; failed=1; }
warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 \
  man --warnings -l "$root/usr/share/man/man1/quadrangler.1.gz" 2>&1 >/dev/null)
[[ -z "$warnings" ]] || { echo "manual page: $warnings"; failed=1; }
exit $failed
