#!/usr/bin/env bash
# Exits 0 when the kernel itself runs 32-bit x86 programs (and so 32-bit Wine).
# A user-mode emulator registered for them (qemu-i386 through binfmt_misc, for
# instance) runs them too, but far too slowly for Wine: then the answer is no.
# KH_BINFMT_DIR stands in for /proc/sys/fs/binfmt_misc.
binfmt=${KH_BINFMT_DIR:-/proc/sys/fs/binfmt_misc}

# Only an x86 kernel runs x86 programs itself.
case $(uname -m) in
  x86_64 | i?86) ;;
  *) exit 1 ;;
esac

# An enabled entry that takes 32-bit little-endian ELF programs (bytes 4 and 5
# of the magic 01 01) for the i386 machine (bytes 18 and 19: 03 00).
emulator_registered() {
  [ "$(cat "$binfmt/status" 2>/dev/null)" = disabled ] && return 1
  local entry magic
  for entry in "$binfmt"/*; do
    case ${entry##*/} in status | register) continue ;; esac
    [ -f "$entry" ] && [ "$(head -n 1 "$entry" 2>/dev/null)" = enabled ] || continue
    magic=$(sed -n 's/^magic //p' "$entry")
    [ "${magic:0:12}" = 7f454c460101 ] && [ "${magic:36:4}" = 0300 ] && return 0
  done
  return 1
}

emulator_registered && exit 1
[ -x /lib/ld-linux.so.2 ] && /lib/ld-linux.so.2 --version >/dev/null 2>&1
