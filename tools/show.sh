#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds the saver and shows it running under Wine.
# With a display ($DISPLAY) the saver runs full-screen there until a key or a
# click ends it, once per kind of scene. Without one it runs on a virtual display
# and writes a screenshot per kind into the folder named by SHOTS (default shots/).
# The i686 saver is shown under 32-bit Wine in the project's private Debian root
# (tools/root.sh); where the kernel runs no 32-bit programs, the x86_64 twin under
# 64-bit Wine on the machine.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
shots=${SHOTS:-$top/shots}

if [ "${KH_IN_ROOT:-}" != 1 ]; then
  bash tools/setup.sh
  if tools/can_run_32bit.sh; then
    cmake -S . -B build -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null
    cmake --build build --target KH_Schoner
    mkdir -p "$shots"
    binds=(--bind "$shots")
    pass=(SHOTS="$shots")
    if [ -n "${DISPLAY:-}" ]; then
      # The display's socket and its cookie, seen from inside the root.
      binds+=(--bind /tmp/.X11-unix)
      pass+=(DISPLAY="$DISPLAY")
      if [ -n "${XAUTHORITY:-}" ]; then
        binds+=(--bind "$(dirname "$XAUTHORITY")"); pass+=(XAUTHORITY="$XAUTHORITY")
      fi
    fi
    tools/root.sh run "${binds[@]}" env "${pass[@]}" bash tools/show.sh
    echo "shown: the i686 saver under 32-bit Wine in the private Debian root"
    exit 0
  fi
  echo "note: this kernel runs no 32-bit programs; showing the x86_64 build under 64-bit Wine"
  cmake -S . -B build-x64 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake >/dev/null
  cmake --build build-x64 --target KH_Schoner
  build=build-x64; arch=win64
else
  build=build; arch=win32
fi

scr="$top/$build/KH_Schoner.scr"
ini="$top/$build/wineprefix/drive_c/windows/control.ini"

kinds=("KH-Logo" "B$(printf '\xe4')rchen" "KH-Satellit" "Text")
names=(logo bear satellite sentence)

choose_kind() {  # the settings file is code page 1252 text
  mkdir -p "$(dirname "$ini")"
  printf '[Screen Saver.KH_Schoner]\r\nArt=%s\r\nSpeed=15\r\nNumber=20\r\nText=spitze\r\nFont=Arial\r\nWeight=0\r\nItalic=0\r\n' "$1" >"$ini"
}

if [ -n "${DISPLAY:-}" ]; then
  export WINEPREFIX="$top/$build/wineprefix" WINEARCH=$arch
  for i in "${!kinds[@]}"; do
    choose_kind "${kinds[$i]}"
    echo "showing ${names[$i]}: press a key or click to go on"
    tools/wine_run.sh "$top/$build" "$arch" "$scr" /s || true
  done
  exit 0
fi

tools/harness.sh start "$top/$build" "$arch"
trap 'tools/harness.sh stop "$top/$build" "$arch"' EXIT
display=":$(cat "$build/harness/display")"
mkdir -p "$shots"
for i in "${!kinds[@]}"; do
  choose_kind "${kinds[$i]}"
  tools/wine_run.sh "$top/$build" "$arch" "$scr" /s &
  pid=$!
  sleep 6
  xwd -root -silent -display "$display" | convert xwd:- "$shots/${names[$i]}.png"
  echo "wrote $shots/${names[$i]}.png"
  kill "$pid" 2>/dev/null || true
  WINEPREFIX="$top/$build/wineprefix" wineserver -k 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  tools/harness.sh start "$top/$build" "$arch" >/dev/null
done
