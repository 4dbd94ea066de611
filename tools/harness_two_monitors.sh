#!/usr/bin/env bash
# A second test harness for a build folder: an X server with two monitors side by
# side and a persistent wineserver for its own prefix BUILD_DIR/wineprefix-two.
#   harness_two_monitors.sh start|stop BUILD_DIR win32|win64
#   harness_two_monitors.sh run BUILD_DIR win32|win64 PROGRAM [ARGS...]
#
# Seen from Windows, the primary monitor is 640x480 at (0,0) and the other one
# 800x600 to its left, at (-800,0): the virtual screen starts at a negative x and
# is taller than the primary monitor.
#
# Xvfb cannot give Wine 8 a second monitor: its Xinerama heads all start at 0,0
# and Wine does not read RandR monitors made with `xrandr --setmonitor`. Xorg with
# the dummy video driver has one RandR CRTC per output, which Wine reads as one
# monitor each, and it renders OpenGL in software like Xvfb. Xorg wants root:
# run by another user, start and run say so and exit with 77, which ctest counts
# as skipped.
set -u
cmd=$1; build=$(cd "$2" && pwd); arch=${3:-win32}
state=$build/harness-two
PREFIX="$build/wineprefix-two" ARCH=$arch STATE=$state
. "$(dirname "$0")/harness_common.sh"

skip_without_root() {
  [ "$(id -u)" = 0 ] && return
  echo "SKIPPED: the two-monitor harness needs root to start Xorg with the dummy driver"
  exit 77
}

if [ "$cmd" = run ]; then
  shift 3
  [ -f "$state/display" ] || skip_without_root
  [ -f "$state/display" ] && { DISPLAY=":$(cat "$state/display")"; export DISPLAY; }
  # The test build's frame counter and simulated display (bench/swapcount.c), in
  # the program and every Wine process it starts, all of which inherit its Unix
  # environment (never the Windows one). It stays idle until the program writes
  # the settings file for the processes it starts next; a file left by an earlier
  # program goes first. A caller that preloads the library itself keeps its own.
  if [ -z "${LD_PRELOAD:-}" ] && [ -f "$build/swapcount.so" ]; then
    export LD_PRELOAD="$build/swapcount.so"
  fi
  export SWAPCOUNT_SETTINGS=${SWAPCOUNT_SETTINGS:-$state/swapcount.settings}
  rm -f "$state/swapcount.settings"
  exec $wine "$@"
fi

close_inherited_pipes

# One screen as wide as both monitors; the outputs get their places afterwards,
# since the dummy driver connects only its first output until one is given a mode.
write_config() {
  cat >"$state/xorg.conf" <<'EOF'
Section "ServerFlags"
  Option "AutoAddDevices" "false"
  Option "AutoAddGPU" "false"
  Option "DontVTSwitch" "true"
EndSection
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 16384
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Modes "800x600" "640x480"
    Virtual 1440 600
  EndSubSection
EndSection
EOF
}

start_server() {
  skip_without_root
  mkdir -p "$state/conf.d"
  write_config
  rm -f "$state/display" "$state/display.tmp"
  # -displayfd lets the server pick a free display and tell us its number; the
  # empty configuration folder keeps the system's snippets out.
  /usr/lib/xorg/Xorg -config "$state/xorg.conf" -configdir "$state/conf.d" \
    -logfile "$state/xorg.log" -nolisten tcp -noreset -novtswitch -sharevts -displayfd 3 \
    3>"$state/display.tmp" </dev/null >"$state/xorg.out" 2>&1 &
  echo $! >"$state/xorg.pid"
  for _ in $(seq 100); do
    [ -s "$state/display.tmp" ] && break
    alive "$state/xorg.pid" || break
    sleep 0.1
  done
  [ -s "$state/display.tmp" ] || { echo "Xorg did not start"; cat "$state/xorg.out"; exit 1; }
  tr -d '\n' <"$state/display.tmp" >"$state/display"
  DISPLAY=":$(cat "$state/display")"; export DISPLAY
  # X has no negative coordinates: the left monitor starts at the root's origin,
  # and Wine puts the origin of its coordinates at the RandR primary output.
  xrandr --addmode DUMMY1 800x600 &&
    xrandr --fb 1440x600 --output DUMMY0 --mode 640x480 --pos 800x0 --primary \
      --output DUMMY1 --mode 800x600 --pos 0x0 ||
    { echo "xrandr could not place the monitors"; exit 1; }
  # The second output counts as connected only from the next probe of the outputs;
  # Wine reads the server's state without probing.
  xrandr >/dev/null
}

start() {
  mkdir -p "$state"
  if alive "$state/xorg.pid"; then
    DISPLAY=":$(cat "$state/display")"; export DISPLAY
  else
    start_server
  fi
  start_wine
  echo "two-monitor harness: display $DISPLAY, prefix $WINEPREFIX"
}

stop() {
  stop_servers "$state/xorg.pid"
  rm -f "$state/xorg.pid" "$state/display" "$state/display.tmp"
  echo "two-monitor harness: stopped"
}

case $cmd in
  start) start ;;
  stop) stop ;;
  *) echo "usage: $0 start|stop|run BUILD_DIR win32|win64 [PROGRAM ARGS...]" >&2; exit 2 ;;
esac
