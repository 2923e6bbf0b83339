#!/usr/bin/env bash
# The newcomer's check: a minimal Debian 12 (debootstrap minbase) with
# nothing but an export of the committed tree (no .git), where the README's
# run command must print the worked example's grid reference and then the
# README's test command must pass. Needs root. The pristine system is kept
# as a tarball between runs, and the downloaded packages in a cache beside
# it, so a rerun saves the downloads but installs everything anew. The
# screens of end-to-end failures are kept there too (failures/).
# Usage: check-fresh-machine.sh [run|test|all]   (default: all)
set -euo pipefail
{ # read whole before it runs: the tree may change during the long run
cd "$(dirname "$0")/.."
what=${1:-all}
[[ $(id -u) -eq 0 ]] || { echo "check-fresh-machine: needs root (debootstrap, chroot)" >&2; exit 2; }

cache=${QUADRANGLER_FRESH_CACHE:-/var/cache/quadrangler-fresh}
pristine=$cache/bookworm-minbase.tar
mkdir -p "$cache/archives/partial"
rm -rf "$cache/failures" && mkdir -p "$cache/failures"

# The machine's own Debian mirror, as its apt sources name it.
mirror=$(grep -hsE '^(URIs:|deb )' /etc/apt/sources.list.d/*.sources /etc/apt/sources.list 2>/dev/null |
  grep -v security | grep -oE 'https?://[^ ]*/debian/?' | head -n 1 || true)
mirror=${mirror:-http://deb.debian.org/debian}

command -v debootstrap >/dev/null || {
  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap >/dev/null
}

if [[ ! -s $pristine ]]; then
  echo "== debootstrap: a minimal Debian 12 from $mirror (kept in $pristine)"
  stage=$(mktemp -d /var/tmp/fresh-stage.XXXXXX)
  debootstrap --variant=minbase bookworm "$stage" "$mirror" >"$cache/debootstrap.log" 2>&1 ||
    { tail -20 "$cache/debootstrap.log"; rm -rf "$stage"; exit 1; }
  tar -C "$stage" -cf "$pristine.part" . && mv "$pristine.part" "$pristine"
  rm -rf "$stage"
fi

root=$(mktemp -d /var/tmp/fresh-machine.XXXXXX)
cleanup() {
  # The screens at end-to-end failures outlive the machine.
  find "$root/src/build" -name '*.failed.png' -exec cp -t "$cache/failures" {} + 2>/dev/null
  # Whatever still runs inside (a display server, Wine) holds the mounts.
  local pid
  for pid in /proc/[0-9]*; do
    [[ "$(readlink "$pid/root" 2>/dev/null)" == "$root" ]] && kill -9 "${pid#/proc/}" 2>/dev/null
  done
  sleep 0.5
  for mnt in var/cache/apt/archives dev/pts dev sys proc; do
    mountpoint -q "$root/$mnt" && umount -l "$root/$mnt"
  done
  rm -rf --one-file-system "$root"
}
trap cleanup EXIT

tar -C "$root" -xf "$pristine"
cp /etc/resolv.conf "$root/etc/resolv.conf"
mkdir -p "$root/src"
if [[ -d .git ]] && command -v git >/dev/null; then
  git archive --format=tar HEAD | tar -C "$root/src" -x
else
  tar --exclude=./build --exclude=./.git -cf - . | tar -C "$root/src" -x
fi
mount -t proc proc "$root/proc"
mount --bind /sys "$root/sys"
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"
mount --bind "$cache/archives" "$root/var/cache/apt/archives"

# A clean environment: no display, nothing of this machine's.
in_chroot() {
  chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 \
    TERM=dumb bash -c "cd /src && $1"
}

status=0
if [[ $what == run || $what == all ]]; then
  echo "== fresh machine: the README's run command"
  start=$SECONDS
  out=$(in_chroot scripts/run.sh 2>&1) || status=$?
  tail -5 <<<"$out"
  if [[ $status -ne 0 ]] || ! grep -q 'clipboard: 2628AB25$' <<<"$out"; then
    echo "fresh machine: the run command did not print 2628AB25 (status $status)"
    exit 1
  fi
  echo "fresh machine: run command passed in $((SECONDS - start)) s"
fi
if [[ $what == test || $what == all ]]; then
  echo "== fresh machine: the README's test command"
  start=$SECONDS
  in_chroot scripts/test.sh || status=$?
  echo "fresh machine: test command ended with status $status in $((SECONDS - start)) s"
fi
exit $status
}
