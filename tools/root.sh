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
# hash of what goes into it: a changed list builds a new root, and the old one of
# the same kind is removed once the new one is in place. A root is built aside and
# moved into place only when complete, so a failed build is never used.
#
# The root runs in one of two ways, with the same `run`:
# - Where the kernel runs 32-bit programs, `run` enters it in private mount, pid
#   and network namespaces, with the repository (and each --bind folder) bound at
#   its own path. When the command ends, however it ends, every process started
#   inside is killed with the namespace and every mount goes with it: no X server,
#   wineserver or mount is left behind.
# - Where it runs none, 32-bit Wine cannot start in the root, so the root (with
#   tools/root/machine.txt added) is booted as an emulated PC instead: QEMU's
#   x86_64 under TCG (no KVM), Debian's kernel with its IA-32 emulation, the root as
#   a disk image that is never written (snapshot), the repository and each --bind
#   folder shared over 9p at their own paths. The command's output and exit code
#   come back through a shared folder, and the PC powers off when it ends; QEMU
#   dies with this script. The root's i386 maintainer scripts then run at build
#   time through qemu-i386-static (unpacked from Debian's package, never
#   installed), registered in the binfmt_misc of a private user namespace, so that
#   nothing is registered on the machine.
# KH_ROOT_VM=1 takes the emulated PC on any kernel, KH_ROOT_ANY_KERNEL=1 the
# namespaces on any kernel (to try either where the other would be taken).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/.." && pwd)
cache=${KH_ROOT_DIR:-/var/cache/kh-schoner}

# Namespaces, mounts and chroot want root; the command inside runs as the caller.
if [ "$(id -u)" != 0 ]; then
  exec sudo env KH_CALLER="$(id -u):$(id -g)" KH_ROOT_DIR="$cache" KH_ROOT_MIRROR="${KH_ROOT_MIRROR:-}" \
    KH_ROOT_ANY_KERNEL="${KH_ROOT_ANY_KERNEL:-}" KH_ROOT_VM="${KH_ROOT_VM:-}" CI="${CI:-}" "$0" "$@"
fi
caller=${KH_CALLER:-0:0}

lists=("$here/root/packages.txt")
kind=root
if [ "${KH_ROOT_VM:-}" = 1 ] || { [ "${KH_ROOT_ANY_KERNEL:-}" != 1 ] && ! "$here/can_run_32bit.sh"; }; then
  lists+=("$here/root/machine.txt")
  kind=machine
fi

packages() { sed -e 's/#.*//' -e '/^[[:space:]]*$/d' "${lists[@]}"; }

# The emulated PC's first process: it runs the job that `run` left in the shared
# folder kh_job and powers off (the first process must not end before the power
# does: the kernel would panic). The initramfs has moved /proc, /sys, /dev and /run
# here already.
guest_init() {
  cat <<'EOF'
#!/bin/sh
export PATH=/usr/sbin:/usr/bin:/sbin:/bin
mount -t tmpfs -o mode=1777 tmpfs /tmp
mkdir -p /dev/shm && mount -t tmpfs tmpfs /dev/shm
mkdir -p /run/kh
modprobe -a 9pnet_virtio 9p &&
  mount -t 9p -o trans=virtio,version=9p2000.L kh_job /run/kh &&
  bash /run/kh/job </dev/null >/run/kh/output 2>&1
sync
echo o >/proc/sysrq-trigger
sleep 60
EOF
}

root_path() {
  local key
  key=$( { packages; echo bookworm bookworm-updates; [ $kind = root ] || guest_init; } | sha256sum | cut -c1-16)
  echo "$cache/$kind-$key"
}

# The mirror the machine already uses for Debian's main suite.
mirror() {
  if [ -n "${KH_ROOT_MIRROR:-}" ]; then echo "$KH_ROOT_MIRROR"; return; fi
  apt-get indextargets --format '$(REPO_URI) $(RELEASE)' 2>/dev/null |
    awk '$2 == "bookworm" { print $1; exit }'
}

# mmdebstrap TARGET [OPTIONS...]: the root from the mirror, in namespaces of its own
# so that an interrupted build leaves no mount behind.
debootstrap_root() {
  local target=$1 uri; shift
  uri=$(mirror)
  [ -n "$uri" ] || { echo "root.sh: no Debian bookworm mirror in the apt sources; set KH_ROOT_MIRROR" >&2; exit 1; }
  echo "root.sh: building $target from $uri (a few minutes, once)" >&2
  local wrap=()
  "$here/can_run_32bit.sh" || wrap=(emulated)
  "${wrap[@]}" unshare --mount --pid --fork --kill-child --propagation private \
    mmdebstrap --mode=root --variant=apt --architectures=amd64,i386 \
      --include="$(packages | paste -sd,)" \
      --aptopt='APT::Install-Recommends "false"' \
      --dpkgopt='path-exclude=/usr/share/doc/*' --dpkgopt='path-exclude=/usr/share/man/*' \
      "$@" bookworm "$target" "deb $uri bookworm main" "deb $uri bookworm-updates main" >&2
}

# qemu-i386-static from Debian's package, unpacked into the cache and never
# installed: installed, it would register itself with the machine's binfmt_misc.
emulator() {
  local qemu=$cache/qemu-i386-static
  if [ ! -x "$qemu" ]; then
    (cd "$cache" && rm -f qemu-user-static_*.deb && apt-get download qemu-user-static 2>/dev/null >&2)
    dpkg-deb --fsys-tarfile "$cache"/qemu-user-static_*.deb | tar -xO ./usr/bin/qemu-i386-static >"$qemu.part"
    chmod 755 "$qemu.part" && mv "$qemu.part" "$qemu" && rm "$cache"/qemu-user-static_*.deb
  fi
  echo "$qemu"
}

# emulated COMMAND...: runs COMMAND with 32-bit x86 programs going through
# qemu-i386-static, registered in the binfmt_misc of a private user namespace
# (kernel 6.7 on), so that the machine's own binfmt_misc stays as it is. The
# namespace maps every user to itself; as its maps can be written only from
# outside, COMMAND waits on a pipe until they are.
emulated() {
  local qemu ready pid
  qemu=$(emulator)
  ready=$(mktemp -u /tmp/kh-maps.XXXXXX)
  mkfifo "$ready"
  unshare --user --mount --propagation private sh -c 'read go <"$0" &&
    mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc &&
    printf ":kh-i386:M::%s:%s:%s:F" "\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00" \
      "\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff" "$1" \
      >/proc/sys/fs/binfmt_misc/register && shift && exec "$@"' "$ready" "$qemu" "$@" &
  pid=$!
  until [ "$(readlink /proc/$pid/ns/user)" != "$(readlink /proc/$$/ns/user)" ]; do sleep 0.1; done
  echo "0 0 4294967295" >/proc/$pid/uid_map
  echo "0 0 4294967295" >/proc/$pid/gid_map
  echo go >"$ready"
  rm "$ready"
  wait $pid
}

# The emulated PC: its kernel, its initramfs and the root as an ext4 image. Without
# udev nothing loads the disk's modules at boot, so the initramfs is told them.
build_machine() {
  local aside=$1
  mkdir "$aside"
  debootstrap_root "$aside/root" \
    --customize-hook='printf "%s\n" virtio_pci virtio_blk ext4 >>"$1/etc/initramfs-tools/modules"' \
    --customize-hook='chroot "$1" update-initramfs -u -k all'
  guest_init >"$aside/root/sbin/kh-init"
  chmod 755 "$aside/root/sbin/kh-init"
  cp "$aside"/root/boot/vmlinuz-* "$aside/vmlinuz"
  cp "$aside"/root/boot/initrd.img-* "$aside/initrd.img"
  local size
  size=$(du -sm "$aside/root" | cut -f1)
  mkfs.ext4 -q -L kh -d "$aside/root" "$aside/root.img" "$((size * 5 / 4 + 512))M"
  rm -rf "$aside/root"
}

build() {
  local root; root=$(root_path)
  [ -f "$root/.complete" ] && { echo "$root"; return; }
  mkdir -p "$cache"
  # One build at a time; a second caller waits and then finds the root made.
  exec 9>>"$cache/.lock"
  flock 9
  [ -f "$root/.complete" ] && { echo "$root"; return; }
  local aside="$root.building"
  rm -rf "$aside"
  local start=$SECONDS
  if [ $kind = root ]; then debootstrap_root "$aside"; else build_machine "$aside"; fi
  touch "$aside/.complete"
  mv "$aside" "$root"
  echo "root.sh: built in $((SECONDS - start)) s" >&2
  local old
  for old in "$cache/$kind"-*; do
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

# Boots the emulated PC for one command: the job it runs, the command's output and
# its exit code pass through a folder shared with it.
boot() {
  local machine=$1 cwd=$2; shift 2
  local dirs=() shares=() mounts=() i=0 dir
  while [ "$1" = --bind ]; do dirs+=("$2"); shift 2; done
  for dir in "${dirs[@]}"; do
    shares+=(-fsdev "local,id=s$i,path=${dir//,/,,},security_model=none"
             -device "virtio-9p-pci,fsdev=s$i,mount_tag=kh_$i")
    mounts+=("mkdir -p $(printf %q "$dir") && mount -t 9p -o trans=virtio,version=9p2000.L,msize=512000,cache=loose kh_$i $(printf %q "$dir") &&")
    i=$((i + 1))
  done
  job=$(mktemp -d /tmp/kh-machine.XXXXXX)
  qemu=
  trap '[ -z "$qemu" ] || kill $qemu 2>/dev/null || true; rm -rf "$job"' EXIT
  {
    printf '%s\n' "${mounts[@]}"
    printf 'cd %q && setpriv --reuid=%s --regid=%s --clear-groups env -i' "$cwd" "${caller%:*}" "${caller#*:}"
    printf ' %q' PATH=/usr/local/bin:/usr/bin:/bin:/usr/sbin:/sbin HOME=/tmp LANG=C.UTF-8 \
      TERM="${TERM:-dumb}" CI="${CI:-}" KH_IN_ROOT=1 "$@"
    printf '\necho $? >/run/kh/status\n'
  } >"$job/job"
  : >"$job/output"
  # -cpu max,-smap: with SMAP, QEMU 7.2's TCG oopses the guest at an iret of every
  # 32-bit Wine process. The parent-death signal ends QEMU with this script.
  setpriv --pdeathsig KILL qemu-system-x86_64 -machine q35 -accel tcg -cpu max,-smap -m 4G -smp 2 \
    -nodefaults -display none -no-reboot -serial "file:$job/console" \
    -kernel "$machine/vmlinuz" -initrd "$machine/initrd.img" \
    -append 'root=/dev/vda rw console=ttyS0 quiet fsck.mode=skip panic=-1 init=/sbin/kh-init' \
    -drive "file=$machine/root.img,if=virtio,format=raw,snapshot=on" \
    -fsdev "local,id=job,path=$job,security_model=none" -device virtio-9p-pci,fsdev=job,mount_tag=kh_job \
    "${shares[@]}" </dev/null &
  qemu=$!
  tail -f -n +1 --pid=$qemu "$job/output"
  wait $qemu || true
  if [ ! -s "$job/status" ]; then
    echo "root.sh: the emulated PC stopped without the command's exit code; its console:" >&2
    cat "$job/console" >&2
    exit 1
  fi
  exit "$(cat "$job/status")"
}

run() {
  local root; root=$(build)
  local binds=(--bind "$top")
  while [ "${1:-}" = --bind ]; do binds+=(--bind "$(cd "$2" && pwd)"); shift 2; done
  [ $# -gt 0 ] || { echo "usage: $0 run [--bind DIR]... COMMAND [ARGS...]" >&2; exit 2; }
  if [ $kind = machine ]; then
    command -v qemu-system-x86_64 >/dev/null ||
      { echo "root.sh: the emulated PC needs qemu-system-x86 (tools/setup.sh installs it)" >&2; exit 1; }
    boot "$root" "$PWD" "${binds[@]}" "$@"
  fi
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
