#!/usr/bin/env bash
# Starts or stops the test harness of a build folder: a private Xvfb display and a
# persistent wineserver for the private prefix BUILD_DIR/wineprefix.
#   harness.sh start|stop BUILD_DIR win32|win64
set -u
cmd=$1; build=$(cd "$2" && pwd); arch=${3:-win32}
state=$build/harness
PREFIX="$build/wineprefix" ARCH=$arch STATE=$state WINEDEBUG=-all
. "$(dirname "$0")/harness_common.sh"
close_inherited_pipes

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
  start_wine
  echo "harness: display :$(cat "$state/display"), prefix $WINEPREFIX"
}

stop() {
  stop_servers "$state/xvfb.pid"
  rm -f "$state/xvfb.pid" "$state/display" "$state/display.tmp"
  echo "harness: stopped"
}

case $cmd in
  start) start ;;
  stop) stop ;;
  *) echo "usage: $0 start|stop BUILD_DIR" >&2; exit 2 ;;
esac
