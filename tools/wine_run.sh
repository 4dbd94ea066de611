#!/usr/bin/env bash
# Runs a Windows program in a build's private Wine prefix on the harness's Xvfb
# display: wine_run.sh BUILD_DIR win32|win64 PROGRAM [ARGS...]
build=$1; arch=$2; shift 2
export WINEPREFIX="$build/wineprefix" WINEARCH=$arch
export WINEDEBUG=${WINEDEBUG:--all}
if [ -f "$build/harness/display" ]; then
  DISPLAY=":$(cat "$build/harness/display")"; export DISPLAY
fi
# Debian's wine wrapper prefers the 32-bit loader whenever it is installed.
if [ "$arch" = win64 ]; then
  export WINELOADER=/usr/lib/wine/wine64
  exec /usr/lib/wine/wine64 "$@"
fi
exec /usr/lib/wine/wine "$@"
