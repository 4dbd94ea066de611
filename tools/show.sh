#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds the saver and shows it running under Wine.
# With a display ($DISPLAY) the saver runs full-screen there until a key or a
# click ends it, once per kind of scene. Without one it runs on a virtual display
# and writes a screenshot per kind into the folder named by SHOTS (default shots/).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash tools/setup.sh

if tools/can_run_32bit.sh; then
  build=build; arch=win32; toolchain=mingw-i686.cmake
else
  echo "note: this kernel runs no 32-bit programs; showing the x86_64 build under 64-bit Wine"
  build=build-x64; arch=win64; toolchain=mingw-x86_64.cmake
fi
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="cmake/$toolchain" >/dev/null
cmake --build "$build" --target KH_Schoner
scr="$top/$build/KH_Schoner.scr"
ini="$top/$build/wineprefix/drive_c/windows/control.ini"
shots=${SHOTS:-$top/shots}

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
