# Shared by the test harnesses (sourced, not run): the Wine settings of a build
# folder's prefix, the prefix with its persistent wineserver, and the stop of the
# wineserver and of the X server that goes with it.
#   PREFIX=... ARCH=win32|win64 STATE=... . tools/harness_common.sh
export WINEPREFIX="$PREFIX" WINEARCH=$ARCH
export WINEDEBUG=${WINEDEBUG:--all}
# Debian's wine wrapper prefers the 32-bit loader whenever it is installed.
wine=/usr/lib/wine/wine
if [ "$ARCH" = win64 ]; then wine=/usr/lib/wine/wine64; export WINELOADER=$wine; fi

alive() { [ -f "$1" ] && kill -0 "$(cat "$1")" 2>/dev/null; }

# The servers outlive the harness script: they must not inherit the pipes of
# whoever started it (ctest waits for those to close), so close all but 0-2.
close_inherited_pipes() {
  for fd in $(ls /proc/$$/fd); do
    [ "$fd" -gt 2 ] && eval "exec $fd>&-" 2>/dev/null
  done
}

start_wine() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    # Keep a fresh prefix from asking for Mono and Gecko.
    WINEDLLOVERRIDES="mscoree,mshtml=" $wine wineboot -i >"$STATE/wineboot.log" 2>&1
    wineserver -w
    # A faulting test program must end, not wait in Wine's crash dialog.
    $wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    wineserver -w
  fi
  # A persistent wineserver makes every later Wine start fast.
  wineserver -p </dev/null >/dev/null 2>&1
  # Start Wine's own services now, detached from our output: started by the first
  # test program instead, they would hold its output pipe open and ctest would wait.
  $wine wineboot </dev/null >>"$STATE/wineboot.log" 2>&1
}

# stop_servers X_PID_FILE
stop_servers() {
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
  if alive "$1"; then
    kill "$(cat "$1")"
    for _ in $(seq 50); do alive "$1" || break; sleep 0.1; done
  fi
}
