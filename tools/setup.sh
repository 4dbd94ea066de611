#!/usr/bin/env bash
# Installs what building, running and testing the saver needs on Debian 12.
# Safe to run again: it only installs what is missing. Only packages of the
# machine's own architecture: 32-bit Wine lives in a private Debian root of the
# project's (tools/root.sh), never on the machine itself.
set -euo pipefail

need=(
  cmake ninja-build
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  googletest
  wine wine64
  xvfb x11-apps xauth fonts-liberation
  imagemagick python3-pil python3-numpy xplanet-images fonts-dejavu-core
  clang libclang-rt-14-dev
  xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
  mmdebstrap
  nsis
)

# The simulated display with vertical sync (bench/swapcount.c) is preloaded into
# Wine by the two-monitor tests, built by the machine's own gcc; the i686 suite's
# 32-bit Wine needs a 32-bit build, which Debian's multilib support makes (it
# compiles on any kernel; the i686 suite is built everywhere).
need+=(gcc gcc-multilib)
# Where the kernel runs no 32-bit programs, the private root is booted as an
# emulated PC (tools/root.sh).
if [ "${KH_ROOT_VM:-}" = 1 ] || ! "$(dirname "$0")/can_run_32bit.sh"; then
  need+=(qemu-system-x86)
fi

# Wine's X11 driver loads these at run time and Wine only recommends them:
# libGL.so.1 with Mesa behind it and the X extension libraries. Without libGL
# every pixel format is refused.
need+=(libgl1 libglx-mesa0 libgl1-mesa-dri libxcomposite1 libxcursor1 libxfixes3
       libxi6 libxinerama1 libxrandr2 libxrender1 libxxf86vm1)

as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

missing=()
for p in "${need[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  # One broken index of a mirror (a sync in progress) must not stop the set-up:
  # whatever it really leaves missing fails the install below with apt's own words.
  as_root apt-get update || echo "warning: apt-get update failed for some index; installing from what could be read" >&2
  DEBIAN_FRONTEND=noninteractive as_root apt-get install -y --no-install-recommends "${missing[@]}"
fi
