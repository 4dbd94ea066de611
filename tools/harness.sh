#!/usr/bin/env bash
# Starts or stops the test harness of a build folder: a private Xvfb display and a
# persistent wineserver for the private prefix BUILD_DIR/wineprefix.
#   harness.sh start|stop BUILD_DIR win32|win64
set -u
# Xvfb and the wineserver outlive this script: they must not inherit the pipes of
# whoever started it (ctest waits for those to close), so close all but 0-2 first.
for fd in $(ls /proc/$$/fd); do
  [ "$fd" -gt 2 ] && eval "exec $fd>&-" 2>/dev/null
done
cmd=$1; build=$(cd "$2" && pwd); arch=${3:-win32}
state=$build/harness
export WINEPREFIX="$build/wineprefix" WINEARCH=$arch WINEDEBUG=-all
wine=/usr/lib/wine/wine
if [ "$arch" = win64 ]; then wine=/usr/lib/wine/wine64; export WINELOADER=$wine; fi

alive() { [ -f "$1" ] && kill -0 "$(cat "$1")" 2>/dev/null; }

start() {
  mkdir -p "$state"
  if ! alive "$state/xvfb.pid"; then
    rm -f "$state/display"
    # -displayfd lets Xvfb pick a free display and tell us its number.
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp +extension GLX \
      3>"$state/display.tmp" </dev/null >"$state/xvfb.log" 2>&1 &
    echo $! >"$state/xvfb.pid"
    for _ in $(seq 100); do
      [ -s "$state/display.tmp" ] && break
      sleep 0.1
    done
    [ -s "$state/display.tmp" ] || { echo "Xvfb did not start"; cat "$state/xvfb.log"; exit 1; }
    tr -d '\n' <"$state/display.tmp" >"$state/display"
  fi
  DISPLAY=":$(cat "$state/display")"; export DISPLAY
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    # Keep a fresh prefix from asking for Mono and Gecko.
    WINEDLLOVERRIDES="mscoree,mshtml=" $wine wineboot -i >"$state/wineboot.log" 2>&1
    wineserver -w
    # A faulting test program must end, not wait in Wine's crash dialog.
    $wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    wineserver -w
  fi
  # A persistent wineserver makes every later Wine start fast.
  wineserver -p </dev/null >/dev/null 2>&1
  # Start Wine's own services now, detached from our output: started by the first
  # test program instead, they would hold its output pipe open and ctest would wait.
  $wine wineboot </dev/null >>"$state/wineboot.log" 2>&1
  echo "harness: display :$(cat "$state/display"), prefix $WINEPREFIX"
}

stop() {
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
  if alive "$state/xvfb.pid"; then
    kill "$(cat "$state/xvfb.pid")"
    for _ in $(seq 50); do alive "$state/xvfb.pid" || break; sleep 0.1; done
  fi
  rm -f "$state/xvfb.pid" "$state/display" "$state/display.tmp"
  echo "harness: stopped"
}

case $cmd in
  start) start ;;
  stop) stop ;;
  *) echo "usage: $0 start|stop BUILD_DIR" >&2; exit 2 ;;
esac
