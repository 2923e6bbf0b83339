#!/usr/bin/env bash
# Runs a command where 32-bit x86 programs run: natively where the kernel
# runs them, otherwise under qemu-user, registered for i386 ELF programs only
# for this command and what it starts. The handler lives in a binfmt_misc of
# the command's own user namespace (Linux 6.7 and later), so the machine
# keeps none; where a kernel has no such namespaces it is registered
# machine-wide while a run needs it, and removed by the last to end (after a
# run killed outright, by the next).
# The command learns how its 32-bit programs run from QUADRANGLER_X86:
# native, emulated, or none (neither way works here; it is told why).
# --emulated: under qemu-user even where the kernel runs 32-bit programs
# (to emulate another processor).
# Usage: with-32-bit.sh [--emulated] COMMAND [ARGS...]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)

# qemu-i386's usual magic and mask: 32-bit little-endian x86 ELF programs
# and shared objects. F: the interpreter is opened now, so it is found from
# whatever root the program runs in.
handler() {
  printf ':%s:M::%s:%s:%s:F' "$1" \
    '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00' \
    '\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff' "$2"
}

# 32-bit Wine under qemu-user needs a guest address space of a fixed size:
# without one it cannot map its shared user data. 2 GiB is what a Windows
# program has (ours is not large-address-aware), and Wine must reach a
# little above it (its 3G/1G split check): 16 MiB more. A larger space
# costs every start dearly: Wine reserves the part above 2 GiB in 64 KiB
# steps, and qemu 7.2 takes each MAP_FIXED_NOREPLACE as a mere hint and
# searches its whole space for it (0xc0000000: 50 s a start, this: 5 s).
emulated() {
  export QEMU_RESERVED_VA=0x81000000 QUADRANGLER_X86=emulated
}

# In the command's own user and mount namespace: a binfmt_misc of its own,
# holding the handler. --probe: only whether that works here.
if [[ ${1:-} == --in-namespace ]]; then
  probe=
  [[ $2 == --probe ]] && { probe=1; shift; }
  qemu=$2
  shift 2
  mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc &&
    handler qemu-i386 "$qemu" >/proc/sys/fs/binfmt_misc/register &&
    bash "$here/runs-32-bit.sh" || exit 1
  [[ -n $probe ]] && exit 0
  emulated
  exec "$@"
fi

force=
[[ ${1:-} == --emulated ]] && { force=1; shift; }
[[ $# -gt 0 ]] || { echo "usage: with-32-bit.sh [--emulated] COMMAND [ARGS...]" >&2; exit 2; }
# Decided once, by the outermost caller.
[[ -n ${QUADRANGLER_X86:-} && ( -z $force || $QUADRANGLER_X86 != native ) ]] && exec "$@"
unset QUADRANGLER_X86
binfmt=/proc/sys/fs/binfmt_misc
shared=quadrangler-i386 # this script's machine-wide handler, below
if [[ -z $force && ! -e $binfmt/$shared ]] && how=$(bash "$here/runs-32-bit.sh" --how); then
  # Through a qemu-user handler that the machine has already, whatever its
  # name: Wine needs the setting then too.
  [[ $how == emulated ]] && { emulated; exec "$@"; }
  QUADRANGLER_X86=native exec "$@"
fi

qemu=$(command -v qemu-i386-static || true)
if [[ -n $force ]]; then
  why="qemu-user-static is not installed, so no other processor can be emulated"
else
  why="this machine's kernel does not run 32-bit x86 programs and"
fi
if [[ -z $qemu ]]; then
  [[ -z $force ]] && why="$why qemu-user-static is not installed"
  echo "with-32-bit: $why" >&2
  QUADRANGLER_X86=none QUADRANGLER_X86_WHY=$why exec "$@"
fi

# Its own user and mount namespace: the binfmt_misc mounted there holds the
# handler, seen by this command's processes alone. Root stays root, so the
# run's files keep their owner. (A chrooted process may not make one.)
if unshare --user --map-root-user --mount -- bash "$0" --in-namespace --probe "$qemu" true 2>/dev/null; then
  exec unshare --user --map-root-user --mount -- bash "$0" --in-namespace "$qemu" "$@"
fi
echo "with-32-bit: no binfmt_misc of a user namespace of its own here" >&2

# Machine-wide, while any run needs it: each holds a shared lock, and the
# last to end (or the next to start, after one was killed) removes it.
if [[ $(id -u) -eq 0 ]] && { [[ -e $binfmt/register ]] || mount -t binfmt_misc binfmt_misc $binfmt 2>/dev/null; }; then
  exec 9>>/run/lock/quadrangler-i386.lock || exec 9>>/tmp/quadrangler-i386.lock
  remove() { flock -xn 9 && [[ -e $binfmt/$shared ]] && echo -1 >"$binfmt/$shared"; }
  trap remove EXIT
  trap 'exit 143' TERM HUP
  trap 'exit 130' INT
  remove # one left by a run that was killed
  flock -s 9
  handler "$shared" "$qemu" >$binfmt/register 2>/dev/null
  if [[ -e $binfmt/$shared ]]; then
    echo "with-32-bit: qemu-i386 registered machine-wide as $shared for this run" >&2
    emulated
    "$@"
    exit $?
  fi
fi
why="$why qemu-user cannot be registered for it (no binfmt_misc namespace, not root)"
[[ -n $force ]] && why="qemu-user cannot be registered here (no binfmt_misc namespace, not root)"
echo "with-32-bit: $why" >&2
QUADRANGLER_X86=none QUADRANGLER_X86_WHY=$why exec "$@"
