#!/usr/bin/env bash
# The private Debian root that holds 32-bit Wine, so that the i686 saver's tests
# run on a machine that has no i386 packages of its own.
#
#   tools/root.sh build                  make the root if it is missing or stale
#   tools/root.sh run [--bind DIR]... COMMAND [ARGS...]
#                                        run COMMAND inside it, in the current folder
#   tools/root.sh remove                 delete every root this script has made
#
# The root is built with mmdebstrap from the mirror's bookworm and bookworm-updates
# suites only, so that the amd64 and i386 halves of every package have the same
# version (the security suite's i386 index can lag behind its amd64 one). mmdebstrap
# rather than debootstrap: it resolves both architectures with apt in one step and
# runs unprivileged parts in its own namespaces, where debootstrap would need a
# second pass inside the root to add i386 and install the rest.
#
# It lives in KH_ROOT_DIR (default /var/cache/kh-schoner), in a folder named after a
# hash of tools/root/packages.txt: a changed list builds a new root, and the old one
# is removed once the new one is in place. A root is built aside and moved into
# place only when complete, so a failed build is never used.
#
# `run` enters the root in private mount, pid and network namespaces, with the
# repository (and each --bind folder) bound at its own path. When the command ends,
# however it ends, every process started inside is killed with the namespace and
# every mount goes with it: no X server, wineserver or mount is left behind.
#
# Where the kernel runs no 32-bit programs the root is of no use: `build` and `run`
# say so and exit with 3. KH_ROOT_ANY_KERNEL=1 builds and enters it all the same
# (to try the root itself on such a machine).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/.." && pwd)
cache=${KH_ROOT_DIR:-/var/cache/kh-schoner}
list=$here/root/packages.txt
no_32bit=3

# Namespaces, mounts and chroot want root; the command inside runs as the caller.
if [ "$(id -u)" != 0 ]; then
  exec sudo env KH_CALLER="$(id -u):$(id -g)" KH_ROOT_DIR="$cache" KH_ROOT_MIRROR="${KH_ROOT_MIRROR:-}" \
    KH_ROOT_ANY_KERNEL="${KH_ROOT_ANY_KERNEL:-}" CI="${CI:-}" "$0" "$@"
fi
caller=${KH_CALLER:-0:0}

packages() { sed -e 's/#.*//' -e '/^[[:space:]]*$/d' "$list"; }

root_path() {
  local key
  key=$( { packages; echo bookworm bookworm-updates; } | sha256sum | cut -c1-16)
  echo "$cache/root-$key"
}

check_kernel() {
  [ "${KH_ROOT_ANY_KERNEL:-}" = 1 ] && return 0
  if ! "$here/can_run_32bit.sh"; then
    echo "root.sh: this kernel runs no 32-bit programs, so 32-bit Wine cannot run here" >&2
    exit $no_32bit
  fi
}

# The mirror the machine already uses for Debian's main suite.
mirror() {
  if [ -n "${KH_ROOT_MIRROR:-}" ]; then echo "$KH_ROOT_MIRROR"; return; fi
  apt-get indextargets --format '$(REPO_URI) $(RELEASE)' 2>/dev/null |
    awk '$2 == "bookworm" { print $1; exit }'
}

build() {
  check_kernel
  local root; root=$(root_path)
  [ -f "$root/.complete" ] && { echo "$root"; return; }
  mkdir -p "$cache"
  # One build at a time; a second caller waits and then finds the root made.
  exec 9>>"$cache/.lock"
  flock 9
  [ -f "$root/.complete" ] && { echo "$root"; return; }
  local uri; uri=$(mirror)
  [ -n "$uri" ] || { echo "root.sh: no Debian bookworm mirror in the apt sources; set KH_ROOT_MIRROR" >&2; exit 1; }
  local aside="$root.building"
  rm -rf "$aside"
  echo "root.sh: building $root from $uri (a few minutes, once)" >&2
  local start=$SECONDS
  # In namespaces of its own, so that an interrupted build leaves no mount behind.
  unshare --mount --pid --fork --kill-child --propagation private \
    mmdebstrap --mode=root --variant=apt --architectures=amd64,i386 \
      --include="$(packages | paste -sd,)" \
      --aptopt='APT::Install-Recommends "false"' \
      --dpkgopt='path-exclude=/usr/share/doc/*' --dpkgopt='path-exclude=/usr/share/man/*' \
      bookworm "$aside" "deb $uri bookworm main" "deb $uri bookworm-updates main" >&2
  touch "$aside/.complete"
  mv "$aside" "$root"
  echo "root.sh: built in $((SECONDS - start)) s" >&2
  local old
  for old in "$cache"/root-*; do
    [ "$old" = "$root" ] || rm -rf "$old"
  done
  echo "$root"
}

# Inside the new namespaces, as their first process: mount, then enter the root.
inside() {
  local root=$1 cwd=$2; shift 2
  local binds=()
  while [ "$1" = --bind ]; do binds+=("$2"); shift 2; done
  mount -t proc proc "$root/proc"
  mount --rbind /sys "$root/sys"
  mount --rbind /dev "$root/dev"
  mount -t tmpfs tmpfs "$root/dev/shm"
  mount -t tmpfs -o mode=1777 tmpfs "$root/tmp"
  mount -t tmpfs tmpfs "$root/run"
  local dir
  for dir in "${binds[@]}"; do
    mkdir -p "$root$dir"
    mount --bind "$dir" "$root$dir"
  done
  ip link set lo up 2>/dev/null || true
  local user=()
  [ "$caller" = 0:0 ] || user=(--userspec="$caller")
  # This shell stays the namespace's first process: it reaps the servers that the
  # command leaves to it, and a Ctrl-C ends the command, not this shell, so the
  # command's own exit code is what comes back.
  trap : INT
  local status=0
  chroot "${user[@]}" "$root" /usr/bin/env -i \
    PATH=/usr/local/bin:/usr/bin:/bin:/usr/sbin:/sbin HOME=/tmp LANG=C.UTF-8 \
    TERM="${TERM:-dumb}" CI="${CI:-}" KH_IN_ROOT=1 \
    /bin/sh -c 'cd "$0" && exec "$@"' "$cwd" "$@" || status=$?
  exit $status
}

run() {
  check_kernel
  local root; root=$(build)
  local binds=(--bind "$top")
  while [ "${1:-}" = --bind ]; do binds+=(--bind "$(cd "$2" && pwd)"); shift 2; done
  [ $# -gt 0 ] || { echo "usage: $0 run [--bind DIR]... COMMAND [ARGS...]" >&2; exit 2; }
  # --kill-child: should unshare itself be killed, the namespace's first process
  # dies with it, and the kernel then kills everything else inside. The parent-death
  # signal kills unshare in turn when whoever started this script is killed.
  exec setpriv --pdeathsig KILL unshare --mount --pid --net --fork --kill-child --propagation private \
    "$here/root.sh" _inside "$root" "$PWD" "${binds[@]}" "$@"
}

case ${1:-} in
  build) build >/dev/null ;;
  run) shift; run "$@" ;;
  remove) rm -rf "$cache" ;;
  _inside) shift; inside "$@" ;;
  *) echo "usage: $0 build | run [--bind DIR]... COMMAND [ARGS...] | remove" >&2; exit 2 ;;
esac
