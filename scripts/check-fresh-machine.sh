#!/usr/bin/env bash
# The newcomer's check: a minimal Debian (debootstrap minbase) of the given
# release with nothing but an export of the committed tree (no .git), where
# the README's run command must print the worked example's grid reference
# and then the README's test command must pass. Needs root. The pristine
# system is kept as a tarball between runs, and the downloaded packages in a
# cache beside it (one of each per release), so a rerun saves the downloads
# but installs everything anew. The screens of end-to-end failures are kept
# there too (failures-RELEASE/).
# Usage: check-fresh-machine.sh [--release=trixie|bookworm] [run|test|all] [PRESET...]
#   (default: trixie, Debian 13, the current stable; all; every preset of the
#   test command, or only those named)
set -euo pipefail
{ # read whole before it runs: the tree may change during the long run
cd "$(dirname "$0")/.."
release=trixie
if [[ ${1:-} == --release=* ]]; then release=${1#--release=}; shift; fi
what=${1:-all}
presets=("${@:2}")
[[ $what == run || $what == test || $what == all ]] ||
  { echo "check-fresh-machine: '$what' is none of run, test, all (the release comes first)" >&2; exit 2; }
[[ $what != run || ${#presets[@]} -eq 0 ]] ||
  { echo "check-fresh-machine: presets go with test or all, not run" >&2; exit 2; }
# The presets test.sh knows, refused here at once rather than after the run
# command in the fresh machine.
known=" $(sed -n 's/^all=(\(.*\))$/\1/p' scripts/test.sh) "
for preset in "${presets[@]}"; do
  [[ $preset != --release=* ]] || { echo "check-fresh-machine: '$preset' must come first" >&2; exit 2; }
  [[ $known == *" $preset "* ]] || { echo "check-fresh-machine: no preset '$preset' (${known# })" >&2; exit 2; }
done
case "$release" in
  trixie) name="Debian 13" ;;
  bookworm) name="Debian 12" ;;
  *) echo "check-fresh-machine: release '$release' is neither trixie nor bookworm" >&2; exit 2 ;;
esac
[[ $(id -u) -eq 0 ]] || { echo "check-fresh-machine: needs root (debootstrap, namespaces)" >&2; exit 2; }

cache=${QUADRANGLER_FRESH_CACHE:-/var/cache/quadrangler-fresh}
pristine=$cache/$release-minbase.tar
archives=$cache/archives-$release
failures=$cache/failures-$release
mkdir -p "$archives/partial"
rm -rf "$failures" && mkdir -p "$failures"

# The machine's own Debian mirror, as its apt sources name it.
mirror=$(grep -hsE '^(URIs:|deb )' /etc/apt/sources.list.d/*.sources /etc/apt/sources.list 2>/dev/null |
  grep -v security | grep -oE 'https?://[^ ]*/debian/?' | head -n 1 || true)
mirror=${mirror:-http://deb.debian.org/debian}

# An index that fails to update (a mirror's stale one) need not stop it.
command -v debootstrap >/dev/null || {
  apt-get update -qq || true
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap >/dev/null
}
command -v debootstrap >/dev/null || { echo "check-fresh-machine: debootstrap could not be installed" >&2; exit 1; }

if [[ ! -s $pristine ]]; then
  echo "== debootstrap: a minimal $name ($release) from $mirror (kept in $pristine)"
  stage=$(mktemp -d /var/tmp/fresh-stage.XXXXXX)
  debootstrap --variant=minbase "$release" "$stage" "$mirror" >"$cache/debootstrap-$release.log" 2>&1 ||
    { tail -20 "$cache/debootstrap-$release.log"; rm -rf "$stage"; exit 1; }
  tar -C "$stage" -cf "$pristine.part" . && mv "$pristine.part" "$pristine"
  rm -rf "$stage"
fi

root=$(mktemp -d /var/tmp/fresh-machine.XXXXXX)
cleanup() {
  # The screens at end-to-end failures outlive the machine.
  find "$root/src/build" -name '*.failed.png' -exec cp -t "$failures" {} + 2>/dev/null
  rm -rf --one-file-system "$root"
}
trap cleanup EXIT

tar -C "$root" -xf "$pristine"
# This machine's network comes along: its resolver, and the certificate
# authorities its own tools are told to trust (a proxy on the way to the
# registries may sign with one of its own, which Debian's bundle lacks).
cp /etc/resolv.conf "$root/etc/resolv.conf"
ca=${NODE_EXTRA_CA_CERTS:-$(npm config get cafile 2>/dev/null || true)}
machine_ca=
if [[ -n $ca && $ca != null && -r $ca ]]; then
  machine_ca=/etc/ssl/machine-ca.pem
  mkdir -p "$root/etc/ssl"
  cp "$ca" "$root$machine_ca"
fi
mkdir -p "$root/src"
if [[ -d .git ]] && command -v git >/dev/null; then
  git archive --format=tar HEAD | tar -C "$root/src" -x
else
  tar --exclude=./build --exclude=./.git -cf - . | tar -C "$root/src" -x
fi

# The machine is entered as a container, not by chroot: in mount and PID
# namespaces of its own whose root it is (pivot_root). The kernel lets no
# chrooted process make a user namespace, which the 32-bit tests need for a
# binfmt_misc of their own; its mounts vanish with it, and when the command
# ends the kernel ends whatever it left running. A clean environment: no
# display, nothing of this machine's.
in_machine() {
  unshare --mount --pid --fork --propagation private -- bash -c '
    set -e
    root=$1 archives=$2
    mount --bind "$root" "$root"
    mount -t proc proc "$root/proc"
    mount --rbind /sys "$root/sys"
    mount --rbind /dev "$root/dev"
    mount --bind "$archives" "$root/var/cache/apt/archives"
    cd "$root"
    pivot_root . .
    umount -l .
    cd /src
    exec /usr/bin/env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 TERM=dumb \
      ${4:+NODE_EXTRA_CA_CERTS=$4} bash -c "$3"
  ' in-machine "$root" "$archives" "$1" "$machine_ca"
}

status=0
if [[ $what == run || $what == all ]]; then
  echo "== fresh $name: the README's run command"
  start=$SECONDS
  out=$(in_machine scripts/run.sh 2>&1) || status=$?
  tail -5 <<<"$out"
  if [[ $status -ne 0 ]] || ! grep -q 'clipboard: 2628AB25$' <<<"$out"; then
    echo "fresh $name: the run command did not print 2628AB25 (status $status)"
    exit 1
  fi
  echo "fresh $name: run command passed in $((SECONDS - start)) s"
fi
if [[ $what == test || $what == all ]]; then
  echo "== fresh $name: the README's test command ${presets[*]:-(every preset)}"
  start=$SECONDS
  # The machine's handlers, whether or not its binfmt_misc is mounted.
  handlers() {
    unshare --mount --propagation private sh -c 'mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc &&
      ls /proc/sys/fs/binfmt_misc' 2>/dev/null | grep -vx 'register\|status' || true
  }
  before=$(handlers)
  in_machine "scripts/test.sh ${presets[*]}" || status=$?
  echo "fresh $name: test command ended with status $status in $((SECONDS - start)) s"
  # The 32-bit tests' qemu-user handler lives in their own namespace.
  added=$(comm -13 <(sort <<<"$before") <(handlers | sort) | xargs)
  [[ -z $added ]] || { echo "fresh $name: the run left binfmt_misc handlers: $added"; status=1; }
fi
exit $status
}
