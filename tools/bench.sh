#!/usr/bin/env bash
# Builds the x86_64 saver and benchmark, starts a private Xvfb and wineserver, and
# prints the frame costs of every kind, then the saver beside its closest peers from
# xscreensaver (glplanet beside the satellite, gltext beside the sentence), at each
# program's own pacing and as fast as each can go. Stops the harness at the end.
#   tools/bench.sh            (environment: BENCH_BUILD, BENCH_FRAMES, BENCH_SECONDS)
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BENCH_BUILD:-$root/build-bench}
frames=${BENCH_FRAMES:-150}
seconds=${BENCH_SECONDS:-10}
warmup=3
hacks=/usr/libexec/xscreensaver
ticks=$(getconf CLK_TCK)

if [ ! -x "$hacks/glplanet" ] || [ ! -x "$hacks/gltext" ]; then
  echo "installing the peers (xscreensaver-gl, xscreensaver-gl-extra)..."
  apt-get install -y xscreensaver-gl xscreensaver-gl-extra >/dev/null 2>&1 ||
    { echo "could not install xscreensaver-gl-extra" >&2; exit 1; }
fi

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" \
  -DKH_TESTS=OFF >/dev/null &&
  cmake --build "$build" --target KH_Schoner kh_bench >/dev/null ||
  { echo "build failed" >&2; exit 1; }
gcc -shared -fPIC -O2 -Wall -Wextra -Werror -o "$build/swapcount.so" "$root/bench/swapcount.c" -ldl ||
  exit 1

"$root/tools/harness.sh" start "$build" win64 >/dev/null || exit 1
trap '"$root/tools/harness.sh" stop "$build" win64 >/dev/null' EXIT
DISPLAY=":$(cat "$build/harness/display")"; export DISPLAY
# A script that execs Wine, not a function: measure needs the Wine process's own id.
wine_run=("$root/tools/wine_run.sh" "$build" win64)

cpu_ticks() { awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "/proc/$1/stat"; }
swaps() { awk '{ print $1 + 0 }' "$1" 2>/dev/null || echo 0; }

# measure LABEL PACING PROGRAM ARGS...: runs the program with the swap counter,
# lets it settle, then counts presented frames and the process's CPU time
# (user + system, all threads) over a fixed wall time. Prints one table row.
measure() {
  local label=$1 pacing=$2; shift 2
  local count="$build/bench-swaps" start pid cpu0 n0 cpu1 n1 hwm first
  rm -f "$count"
  start=$(date +%s%N)
  SWAPCOUNT_FILE="$count" LD_PRELOAD="$build/swapcount.so" "$@" >/dev/null 2>&1 &
  pid=$!
  sleep "$warmup"
  cpu0=$(cpu_ticks $pid); n0=$(swaps "$count")
  sleep "$seconds"
  cpu1=$(cpu_ticks $pid); n1=$(swaps "$count")
  hwm=$(awk '/^VmHWM/ { print $2 }' "/proc/$pid/status")
  first=$(awk '{ print $2 }' "$count" 2>/dev/null)
  kill $pid 2>/dev/null; wait $pid 2>/dev/null
  awk -v l="$label" -v p="$pacing" -v s="$seconds" -v t="$ticks" -v c0="$cpu0" -v c1="$cpu1" \
      -v n0="$n0" -v n1="$n1" -v hwm="$hwm" -v first="${first:-0}" -v start="$start" 'BEGIN {
    n = n1 - n0; cpu = (c1 - c0) * 1000 / t
    printf "| %-22s | %-8s | %8.1f | %9.2f | %6.0f | %8.0f | %7.1f |\n", l, p, n / s,
      (n > 0 ? cpu / n : 0), cpu / s / 10, (first > 0 ? (first - start) / 1e6 : 0), hwm / 1024 }'
}

saver_settings() {
  printf '[Screen Saver.KH_Schoner]\r\nArt=%s\r\nNumber=5\r\n' "$1" \
    >"$build/wineprefix/drive_c/windows/control.ini"
}

echo "Frames in an 800 x 600 window through the scene's window procedure, unpaced"
echo "($frames frames per row after 10 unmeasured ones):"
echo
"${wine_run[@]}" "$build/bench/kh_bench.exe" table "$frames" | tr -d '\r'
echo
echo "Presented frames and CPU time over $seconds s (after $warmup s to settle), 800 x 600:"
echo
echo "| program                | pacing   | frames/s | CPU ms/fr | CPU %  | first ms | peak MB |"
echo "|------------------------|----------|----------|-----------|--------|----------|---------|"
rows=$(mktemp)
runtime=$((warmup + seconds + 5))
{
  saver_settings KH-Satellit
  measure "KH_Schoner Satellite" default "${wine_run[@]}" "$build/KH_Schoner.scr" /s
  measure "KH_Schoner Satellite" unpaced "${wine_run[@]}" "$build/bench/kh_bench.exe" run KH-Satellit 5 $runtime
  measure "glplanet" default "$hacks/glplanet" -geometry 800x600
  measure "glplanet" unpaced "$hacks/glplanet" -geometry 800x600 -delay 0
  saver_settings Text
  measure "KH_Schoner Sentence" default "${wine_run[@]}" "$build/KH_Schoner.scr" /s
  measure "KH_Schoner Sentence" unpaced "${wine_run[@]}" "$build/bench/kh_bench.exe" run Text 5 $runtime
  measure "gltext" default "$hacks/gltext" -geometry 800x600
  measure "gltext" unpaced "$hacks/gltext" -geometry 800x600 -delay 0
} | tee "$rows"
echo
echo "Ratios, KH_Schoner / peer:"
awk -F'|' '{ gsub(/ +/, " "); name = $2; sub(/^ /, "", name); sub(/ $/, "", name)
  p = $3; gsub(/ /, "", p); fps[name, p] = $4 + 0; cpu[name, p] = $5 + 0 }
  END {
    split("KH_Schoner Satellite|glplanet|KH_Schoner Sentence|gltext", pair, "|")
    for (i = 1; i <= 3; i += 2)
      for (k = 1; k <= 2; ++k) {
        p = k == 1 ? "default" : "unpaced"; a = pair[i]; b = pair[i + 1]
        printf "  %-20s / %-8s %-8s CPU ms per frame %5.2f, frames/s %5.2f\n", a, b, p,
          (cpu[b, p] > 0 ? cpu[a, p] / cpu[b, p] : 0), (fps[b, p] > 0 ? fps[a, p] / fps[b, p] : 0)
      }
  }' "$rows"
rm -f "$rows"
cat <<EOF

kind/Number rows: milliseconds from the timer tick to the end of the paint's
SwapBuffers, measured with QueryPerformanceCounter. GL calls and texture bytes are
counted, not estimated: the benchmark redirects every opengl32.dll import of its own
module and of glu32.dll through a counting stub (so gluSphere's calls count; a
display list counts as its one glCallList), and sums glTexImage2D's width x height x
bytes per pixel. Satellite and Sentence do not use Number.
Peer rows: frames counted by an LD_PRELOAD wrapper of glXSwapBuffers/eglSwapBuffers
(bench/swapcount.c; Wine's X11 driver calls glXSwapBuffers); CPU is user + system
time of the program's own process from /proc (for KH_Schoner the Wine process of the
.scr or of the benchmark; the wineserver and Xvfb are not counted). "default" is each
program's own pacing (the saver's 2 ms timer; xscreensaver's default -delay),
"unpaced" is kh_bench's back-to-back frames and the peers' -delay 0. "first ms" is
from the launch of the process (Wine's start included) to its first presented frame;
"peak MB" is the process's peak resident set (VmHWM).
EOF
