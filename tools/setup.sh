#!/usr/bin/env bash
# Installs what building, running and testing the saver needs on Debian 12.
# Safe to run again: it only installs what is missing.
set -euo pipefail

need=(
  cmake ninja-build
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  googletest
  wine wine64 wine32:i386
  xvfb x11-apps xauth fonts-liberation
  imagemagick python3-pil python3-numpy xplanet-images fonts-dejavu-core
  clang libclang-rt-14-dev
  xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
)

# Wine's X11 driver loads these at run time and Wine only recommends them: for
# 64-bit and 32-bit Wine alike, libGL.so.1 with Mesa behind it and the X
# extension libraries. Without the 32-bit libGL every pixel format is refused.
for lib in libgl1 libglx-mesa0 libgl1-mesa-dri libxcomposite1 libxcursor1 libxfixes3 \
           libxi6 libxinerama1 libxrandr2 libxrender1 libxxf86vm1; do
  need+=("$lib" "$lib:i386")
done

as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  as_root dpkg --add-architecture i386
  as_root apt-get update
fi

missing=()
for p in "${need[@]}"; do
  name=${p%%:*}; arch=${p#*:}; [ "$arch" = "$p" ] && arch=
  q=$name; [ -n "$arch" ] && q="$name:$arch"
  if ! dpkg-query -W -f='${Status}' "$q" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  as_root apt-get update
  DEBIAN_FRONTEND=noninteractive as_root apt-get install -y --no-install-recommends "${missing[@]}"
fi
