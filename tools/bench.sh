#!/usr/bin/env bash
# Builds the x86_64 saver and benchmark and measures them. Without options: on a
# private Xvfb, the frame costs of every kind and the saver beside its closest peers
# from xscreensaver (glplanet beside the satellite, gltext beside the sentence), at
# each program's own pacing and as fast as each can go; then, on the two-monitor
# harness (Xorg's dummy driver, root only), full-screen runs of every kind on each
# monitor alone and on both, with a scene on every monitor and on the primary one
# only, the saver's CPU while the display is off, and each window's frames and torn
# presents on simulated displays with vertical sync (bench/swapcount.c: 60 Hz, a
# 75 Hz monitor beside 60 Hz ones, one swap interval for the whole process) on one
# monitor and on every monitor, two and, where the dummy driver gives a third
# output, three.
# Stops the harnesses it started.
#   tools/bench.sh [--monitors | --vsync] [--against REV]
#     --monitors     only the rows on the two-monitor harness
#     --vsync        only the rows on the simulated displays with vertical sync
#     --against REV  then this working tree beside revision REV, full-screen on two
#                    monitors with the scene on the primary one only, as REV draws
#                    it, and on every monitor where REV reads AllMonitors, and on
#                    the simulated displays with REV's own settings
#                    (may be given more than once)
# Rows of several runs are interleaved over rounds, so that the machine's noise
# falls on both sides, and show the median and the range of the rounds.
# Environment: BENCH_BUILD, BENCH_FRAMES, BENCH_SECONDS (peer rows), BENCH_ROUNDS,
# BENCH_RUN_SECONDS (monitor and revision rows), BENCH_DISPLAYS (the simulated
# displays with vertical sync, of "60 60+75 60-one-interval").
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BENCH_BUILD:-$root/build-bench}
frames=${BENCH_FRAMES:-150}
seconds=${BENCH_SECONDS:-10}
rounds=${BENCH_ROUNDS:-6}
run_seconds=${BENCH_RUN_SECONDS:-5}
warmup=3
hacks=/usr/libexec/xscreensaver
ticks=$(getconf CLK_TCK)

usage() { echo "usage: $0 [--monitors | --vsync] [--against REV]..." >&2; exit 2; }
peers=yes revs=() only_vsync=no
while [ $# -gt 0 ]; do
  case $1 in
    --monitors) peers=no ;;
    --vsync) peers=no only_vsync=yes ;;
    --against) [ $# -ge 2 ] || usage; revs+=("$2"); shift ;;
    *) usage ;;
  esac
  shift
done
monitors=yes
if [ "$(id -u)" != 0 ]; then
  [ "$peers" = no ] && { echo "the two-monitor harness (Xorg's dummy driver) needs root" >&2; exit 1; }
  echo "not root: no rows on the two-monitor harness (Xorg's dummy driver needs root)"
  monitors=no revs=()
fi

if [ "$peers" = yes ] && { [ ! -x "$hacks/glplanet" ] || [ ! -x "$hacks/gltext" ]; }; then
  echo "installing the peers (xscreensaver-gl, xscreensaver-gl-extra)..."
  apt-get install -y xscreensaver-gl xscreensaver-gl-extra >/dev/null 2>&1 ||
    { echo "could not install xscreensaver-gl-extra" >&2; exit 1; }
fi

# build_saver SOURCE BUILD TARGETS...
build_saver() {
  local source=$1 folder=$2; shift 2
  cmake -S "$source" -B "$folder" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$source/cmake/mingw-x86_64.cmake" -DKH_TESTS=OFF >/dev/null &&
    cmake --build "$folder" --target "$@" >/dev/null
}
build_saver "$root" "$build" KH_Schoner kh_bench || { echo "build failed" >&2; exit 1; }
gcc -shared -fPIC -O2 -Wall -Wextra -Werror -o "$build/swapcount.so" "$root/bench/swapcount.c" -ldl -lpthread ||
  exit 1

# The other revision is built from an export of its tree beside this one's build
# and removed again afterwards; nothing is registered with git.
other=$build/other
cleanup() {
  [ "$peers" = yes ] && "$root/tools/harness.sh" stop "$build" win64 >/dev/null
  [ "$monitors" = yes ] && "$root/tools/harness_two_monitors.sh" stop "$build" win64 >/dev/null
  rm -rf "$other"
}
trap cleanup EXIT
rm -rf "$other"
for i in "${!revs[@]}"; do
  revs[i]=$(git -C "$root" rev-parse --short "${revs[i]}^{commit}") || exit 1
  rev=${revs[i]}
  echo "building $rev beside the working tree..."
  mkdir -p "$other/$rev/source"
  { git -C "$root" archive "$rev" | tar -x -C "$other/$rev/source"; } &&
    build_saver "$other/$rev/source" "$other/$rev/build" KH_Schoner ||
    { echo "could not build $rev" >&2; exit 1; }
done

# side_saver SIDE: the saver of the working tree ("tree") or of a revision built beside it.
side_saver() {
  if [ "$1" = tree ]; then echo "$build/KH_Schoner.scr"; else echo "$other/$1/build/KH_Schoner.scr"; fi
}

cpu_ticks() { awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "/proc/$1/stat"; }
# The counter's first line is the first window's; below it, one line per window.
# With `all_windows` set, the frames of every window added up.
swaps() {
  if [ -n "${all_windows:-}" ]; then awk '{ n += $1 } END { print n + 0 }' "$1" 2>/dev/null || echo 0
  else awk 'NR == 1 { print $1 + 0 }' "$1" 2>/dev/null || echo 0; fi
}
window_swaps() { awk '{ printf "%s%d/%d", (NR > 1 ? " " : ""), $1, $3 } END { print "" }' "$1" 2>/dev/null; }

# counted_run SECONDS PROGRAM ARGS...: runs the program with the swap counter, lets
# it settle, then counts presented frames and the process's CPU time (user +
# system, all threads) over SECONDS of wall time. Leaves its readings in run_*.
counted_run() {
  local secs=$1; shift
  local count="$build/bench-swaps" pid
  rm -f "$count"
  run_start=$(date +%s%N)
  SWAPCOUNT_FILE="$count" LD_PRELOAD="$build/swapcount.so" "$@" >/dev/null 2>&1 &
  pid=$!
  sleep "$warmup"
  run_cpu0=$(cpu_ticks $pid); run_n0=$(swaps "$count")
  sleep "$secs"
  run_cpu1=$(cpu_ticks $pid); run_n1=$(swaps "$count")
  run_hwm=$(awk '/^VmHWM/ { print $2 }' "/proc/$pid/status")
  run_first=$(awk 'NR == 1 { print $2 }' "$count" 2>/dev/null)
  kill $pid 2>/dev/null; wait $pid 2>/dev/null
}

# measure LABEL PACING PROGRAM ARGS...: one counted run as a row of the peer table.
measure() {
  local label=$1 pacing=$2; shift 2
  counted_run "$seconds" "$@"
  awk -v l="$label" -v p="$pacing" -v s="$seconds" -v t="$ticks" -v c0="$run_cpu0" \
      -v c1="$run_cpu1" -v n0="$run_n0" -v n1="$run_n1" -v hwm="$run_hwm" \
      -v first="${run_first:-0}" -v start="$run_start" 'BEGIN {
    n = n1 - n0; cpu = (c1 - c0) * 1000 / t
    printf "| %-22s | %-8s | %8.1f | %9.2f | %6.0f | %8.0f | %7.1f |\n", l, p, n / s,
      (n > 0 ? cpu / n : 0), cpu / s / 10, (first > 0 ? (first - start) / 1e6 : 0), hwm / 1024 }'
}

# sample PROGRAM ARGS...: one shorter counted run as "frames/s CPU-ms-per-frame".
sample() {
  counted_run "$run_seconds" "$@"
  awk -v s="$run_seconds" -v t="$ticks" -v c0="$run_cpu0" -v c1="$run_cpu1" -v n0="$run_n0" \
      -v n1="$run_n1" 'BEGIN { n = n1 - n0; cpu = (c1 - c0) * 1000 / t
    printf "%.1f %.3f\n", n / s, (n > 0 ? cpu / n : 0) }'
}

# saver_settings ART [PREFIX]: the kind of the next run, with 5 logos or bottles
# unless `number` says otherwise, on every monitor unless `all_monitors` says 0.
saver_settings() {
  printf '[Screen Saver.KH_Schoner]\r\nArt=%s\r\nNumber=%s\r\nAllMonitors=%s\r\n' "$1" \
    "${number:-5}" "${all_monitors:-1}" >"${2:-$build/wineprefix}/drive_c/windows/control.ini"
}

peer_rows() {
  "$root/tools/harness.sh" start "$build" win64 >/dev/null || exit 1
  local DISPLAY=":$(cat "$build/harness/display")"; export DISPLAY
  # A script that execs Wine, not a function: measure needs the Wine process's own id.
  local wine_run=("$root/tools/wine_run.sh" "$build" win64)
  echo "Frames in an 800 x 600 window through the scene's window procedure, unpaced"
  echo "($frames frames per row after 10 unmeasured ones):"
  echo
  "${wine_run[@]}" "$build/bench/kh_bench.exe" table "$frames" | tr -d '\r'
  echo
  echo "Presented frames and CPU time over $seconds s (after $warmup s to settle), 800 x 600:"
  echo
  echo "| program                | pacing   | frames/s | CPU ms/fr | CPU %  | first ms | peak MB |"
  echo "|------------------------|----------|----------|-----------|--------|----------|---------|"
  local rows runtime=$((warmup + seconds + 5))
  rows=$(mktemp)
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
  "$root/tools/harness.sh" stop "$build" win64 >/dev/null
  cat <<'NOTE'

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

NOTE
}

# The full-screen runs: every kind; the logos 5 and 20, the bottles 20.
kinds=(Logo5 Logo20 Bear20 Satellite Sentence)
arts=(KH-Logo KH-Logo $'B\xe4rchen' KH-Satellit Text)
numbers=(5 20 20 5 5)
two_monitors=("$root/tools/harness_two_monitors.sh")
two_prefix=$build/wineprefix-two

# lay_out_monitors small|large|both|three: the dummy driver's outputs as the primary
# monitor alone (640 x 480), as one monitor of the other one's size (800 x 600), as
# the harness's two, or as those two and a third of 640 x 480 right of the primary
# (a screen wider than the harness's own); then a fresh wineserver for the prefix:
# Wine reads the monitors once per wineserver. Three monitors that cannot be laid
# out return 1; any other layout ends the benchmark.
lay_out_monitors() {
  local DISPLAY=":$(cat "$build/harness-two/display")"; export DISPLAY
  case $1 in
    small) xrandr --output DUMMY1 --off --output DUMMY2 --off &&
      xrandr --fb 640x480 --output DUMMY0 --mode 640x480 --pos 0x0 ;;
    large) xrandr --output DUMMY1 --off --output DUMMY2 --off &&
      xrandr --fb 800x600 --output DUMMY0 --mode 800x600 --pos 0x0 ;;
    both) xrandr --fb 1440x600 --output DUMMY0 --mode 640x480 --pos 800x0 --primary \
      --output DUMMY1 --mode 800x600 --pos 0x0 --output DUMMY2 --off && xrandr >/dev/null ;;
    three) { xrandr --addmode DUMMY2 640x480 &&
      xrandr --fb 2080x600 --output DUMMY0 --mode 640x480 --pos 800x0 --primary \
        --output DUMMY1 --mode 800x600 --pos 0x0 --output DUMMY2 --mode 640x480 --pos 1440x0 &&
      xrandr >/dev/null; } 2>/dev/null || return 1 ;;
  esac || { echo "xrandr could not lay out the monitors ($1)" >&2; exit 1; }
  WINEPREFIX=$two_prefix wineserver -k 2>/dev/null; WINEPREFIX=$two_prefix wineserver -w
  "${two_monitors[@]}" start "$build" win64 >/dev/null || exit 1
}

# full_screen_sample SCR: one counted full-screen run of the kind set last.
full_screen_sample() {
  sample "${two_monitors[@]}" run "$build" win64 "$1" /s
}

# What both summaries share: the samples, read from lines "side kind fps cpu", and
# stats(side, kind), which leaves the median, low and high of that side's CPU ms per
# frame over the rounds in med, low and high, and the median frames/s in rate.
rounds_awk='
  function sort(v, n,   i, j, x) {
    for (i = 2; i <= n; ++i) { x = v[i]; for (j = i - 1; j > 0 && v[j] > x; --j) v[j + 1] = v[j]; v[j + 1] = x }
  }
  function median(v, n) { return n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2 }
  function stats(side, k,   n, i, c, f) {
    n = count[side, k]
    for (i = 1; i <= n; ++i) { c[i] = cpu[side, k, i]; f[i] = fps[side, k, i] }
    sort(c, n); sort(f, n)
    med = median(c, n); low = c[1]; high = c[n]; rate = median(f, n)
  }
  { i = ++count[$1, $2]; fps[$1, $2, i] = $3; cpu[$1, $2, i] = $4; if (!seen[$2]++) kind[++kinds] = $2 }'

# summarize A B FILE: per kind, the rounds' median and range (min..max) of CPU ms per
# frame and the median frames/s of both sides, B against A, and whether the medians
# differ by more than the wider of the two ranges.
summarize() {
  awk -v a="$1" -v b="$2" "$rounds_awk"'
    END {
      printf "| kind      | %-23s | fps    | %-23s | fps    | difference | beyond the range? |\n", a ": CPU ms/frame", b ": CPU ms/frame"
      printf "|-----------|-------------------------|--------|-------------------------|--------|------------|-------------------|\n"
      for (i = 1; i <= kinds; ++i) {
        k = kind[i]
        stats(a, k); ma = med; ra = high - low; la = low; ha = high; fa = rate
        stats(b, k); mb = med; rb = high - low
        printf "| %-9s | %6.2f (%5.2f .. %5.2f) | %6.1f | %6.2f (%5.2f .. %5.2f) | %6.1f | %+9.1f%% | %-17s |\n",
          k, ma, la, ha, fa, mb, low, high, rate, (ma > 0 ? 100 * (mb - ma) / ma : 0),
          (count[a, k] < 2 ? "-" : (mb - ma > ra && mb - ma > rb) || (ma - mb > ra && ma - mb > rb) ? "yes" : "no")
      }
    }' "$3"
}

# monitor_summary FILE: per kind, the rounds' median and range (min..max) of CPU ms
# per frame and the median frames/s on each layout, and the two ratios of medians
# that say what the other monitor costs.
monitor_summary() {
  awk "$rounds_awk"'
    function cell(l, k) {
      stats(l, k); at[l] = med
      return sprintf("%5.2f (%5.2f..%5.2f) %5.1f", med, low, high, rate)
    }
    END {
      printf "| kind      | A: 640 x 480 alone       | B: 800 x 600 alone       | P: both, primary only    | E: both, every monitor   | P / A | E / (A + B) |\n"
      printf "|-----------|--------------------------|--------------------------|--------------------------|--------------------------|-------|-------------|\n"
      for (i = 1; i <= kinds; ++i) {
        k = kind[i]; a = cell("small", k); b = cell("large", k); p = cell("primary", k); e = cell("every", k)
        printf "| %-9s | %s | %s | %s | %s | %5.2f | %11.2f |\n", k, a, b, p, e,
          (at["small"] > 0 ? at["primary"] / at["small"] : 0),
          (at["small"] + at["large"] > 0 ? at["every"] / (at["small"] + at["large"]) : 0)
      }
    }' "$1"
}

monitor_rows() {
  local samples round order layout k
  samples=$(mktemp)
  "${two_monitors[@]}" start "$build" win64 >/dev/null || exit 1
  echo "Full-screen runs (KH_Schoner.scr /s, its own pacing) on the two-monitor harness,"
  echo "each monitor alone and both, $rounds rounds of $run_seconds s each (after $warmup s to settle):"
  for round in $(seq "$rounds"); do
    # Alternating the order keeps a drift of the machine's load off one side.
    order="small large both"; [ $((round % 2)) = 0 ] && order="both large small"
    for layout in $order; do
      lay_out_monitors $layout
      [ "$round" = 1 ] && echo "  $layout: $("${two_monitors[@]}" run "$build" win64 \
        "$build/bench/kh_bench.exe" monitors | tr -d '\r')"
      for k in "${!kinds[@]}"; do
        if [ "$layout" = both ]; then
          for all_monitors in 0 1; do
            number=${numbers[k]} all_monitors=$all_monitors saver_settings "${arts[k]}" "$two_prefix"
            echo "$( [ $all_monitors = 1 ] && echo every || echo primary) ${kinds[k]} $(full_screen_sample "$build/KH_Schoner.scr")" >>"$samples"
          done
        else
          number=${numbers[k]} saver_settings "${arts[k]}" "$two_prefix"
          echo "$layout ${kinds[k]} $(full_screen_sample "$build/KH_Schoner.scr")" >>"$samples"
        fi
      done
    done
  done
  echo
  monitor_summary "$samples"
  rm -f "$samples"
  cat <<'NOTE'

A and B: one monitor of each size alone; P: both, AllMonitors=0 (the scene on the
primary monitor, black on the other); E: both, AllMonitors=1 (a scene on each).
Each cell: CPU ms per frame, median of the rounds (min..max), then the median frames
per second. CPU is user + system time of the saver's Wine process; a frame is one
timer tick's frames on every monitor, counted from one window's presented frames.
P / A: what the black window over the other monitor costs; E / (A + B): what the
second scene costs against the two monitors' scenes drawn alone.
NOTE
}

# display_off_row: a scene on both monitors, then the display off for 10 s and on
# again, as the system tells a saver that registered for it.
display_off_row() {
  local count="$build/bench-swaps" pid
  local bench=("${two_monitors[@]}" run "$build" win64 "$build/bench/kh_bench.exe")
  "${two_monitors[@]}" start "$build" win64 >/dev/null || exit 1
  lay_out_monitors both
  number=20 saver_settings KH-Logo "$two_prefix"
  rm -f "$count"
  SWAPCOUNT_FILE="$count" LD_PRELOAD="$build/swapcount.so" \
    "${two_monitors[@]}" run "$build" win64 "$build/KH_Schoner.scr" /s >/dev/null 2>&1 &
  pid=$!
  sleep "$warmup"
  local c0 c1 c2 c3 n0 n1 n2 n3
  c0=$(cpu_ticks $pid); n0=$(swaps "$count"); sleep 5; c1=$(cpu_ticks $pid); n1=$(swaps "$count")
  "${bench[@]}" display off >/dev/null || echo "the display-off notice did not arrive" >&2
  sleep 1
  c2=$(cpu_ticks $pid); n2=$(swaps "$count"); sleep 10; c3=$(cpu_ticks $pid); n3=$(swaps "$count")
  "${bench[@]}" display on >/dev/null
  sleep 2
  local n4; n4=$(swaps "$count")
  kill $pid 2>/dev/null; wait $pid 2>/dev/null
  echo "The display off: 20 logos on both monitors, CPU of the saver's Wine process"
  echo
  echo "| display                  | seconds | frames/s | CPU % of one core |"
  echo "|--------------------------|---------|----------|-------------------|"
  awk -v t="$ticks" -v c0="$c0" -v c1="$c1" -v c2="$c2" -v c3="$c3" -v n0="$n0" -v n1="$n1" \
      -v n2="$n2" -v n3="$n3" -v n4="$n4" 'BEGIN {
    printf "| on                       | %7d | %8.1f | %17.1f |\n", 5, (n1 - n0) / 5, (c1 - c0) * 100 / t / 5
    printf "| off                      | %7d | %8.1f | %17.1f |\n", 10, (n3 - n2) / 10, (c3 - c2) * 100 / t / 10
    printf "| on again (first 2 s)     | %7d | %8.1f |                   |\n", 2, (n4 - n3) / 2 }'
}

# The simulated displays of the vertical-sync rows: every monitor at 60 Hz; the
# 800 x 600 monitor at 75 Hz beside the others' 60; and 60 Hz with one swap
# interval for the whole process, as Mesa's WGL keeps it.
read -ra vsync_displays <<<"${BENCH_DISPLAYS:-60 60+75 60-one-interval}"
vsync_settings() {
  case $1 in
    60) echo "VSYNC_HZ=60" ;;
    60+75) echo "VSYNC_HZ=60 VSYNC_HZ_800=75" ;;
    60-one-interval) echo "VSYNC_HZ=60 VSYNC_PROCESS_WIDE=1" ;;
  esac
}

# vsync_sample DISPLAY SCR: one full-screen run of the kind set last on a simulated
# display, as each window's presented frames per second and torn presents, "fps/torn",
# in the order of their first frames.
vsync_sample() {
  local count="$build/bench-swaps" pid before after
  rm -f "$count"
  env $(vsync_settings "$1") SWAPCOUNT_FILE="$count" LD_PRELOAD="$build/swapcount.so" \
    "${two_monitors[@]}" run "$build" win64 "$2" /s >/dev/null 2>&1 &
  pid=$!
  sleep "$warmup"
  before=$(window_swaps "$count")
  sleep "$run_seconds"
  after=$(window_swaps "$count")
  kill $pid 2>/dev/null; wait $pid 2>/dev/null
  awk -v a="$before" -v b="$after" -v s="$run_seconds" 'BEGIN {
    n = split(a, x); m = split(b, y)
    for (i = 1; i <= m; ++i) {
      split(y[i], later, "/"); split(i <= n ? x[i] : "0/0", early, "/")
      printf "%s%.1f/%d", (i > 1 ? " " : ""), (later[1] - early[1]) / s, later[2] - early[2]
    }
    print "" }'
}

# vsync_summary FILE: from lines "side layout display kind fps/torn...", per kind,
# display and side the median frames per second of each window on each layout over
# the rounds (the windows of a run sorted slowest first, since a run does not name
# them) with the torn presents of all rounds, and the slowest window's median
# against one monitor's.
vsync_summary() {
  awk '
    function sort(v, n,   i, j, x) {
      for (i = 2; i <= n; ++i) { x = v[i]; for (j = i - 1; j > 0 && v[j] > x; --j) v[j + 1] = v[j]; v[j + 1] = x }
    }
    function median(v, n) { return n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2 }
    # The windows medians of one layout as text; the slowest one left in slowest.
    function cell(key, l,   r, w, n, v, text) {
      if (!((key, l) in rounds)) return "-"
      text = ""
      for (w = 1; w <= windows[key, l]; ++w) {
        n = 0
        for (r = 1; r <= rounds[key, l]; ++r)
          if ((key, l, r, w) in fps) v[++n] = fps[key, l, r, w]
        sort(v, n)
        if (w == 1) slowest = median(v, n)
        text = text (w > 1 ? " " : "") sprintf("%.1f", median(v, n))
      }
      return text " /" torn[key, l]
    }
    {
      key = $4 SUBSEP $3 SUBSEP $1; r = ++rounds[key, $2]
      n = NF - 4
      for (i = 1; i <= n; ++i) { split($(i + 4), pair, "/"); v[i] = pair[1]; torn[key, $2] += pair[2] }
      sort(v, n)
      for (i = 1; i <= n; ++i) fps[key, $2, r, i] = v[i]
      if (n > windows[key, $2]) windows[key, $2] = n
      if (!seen[key]++) order[++keys] = key
    }
    END {
      printf "| kind      | display         | side      | one monitor | two monitors  | three monitors     | two / one | three / one |\n"
      printf "|-----------|-----------------|-----------|-------------|---------------|--------------------|-----------|-------------|\n"
      for (i = 1; i <= keys; ++i) {
        key = order[i]; split(key, part, SUBSEP)
        slowest = 0; one = cell(key, "one"); single = slowest
        slowest = 0; two = cell(key, "two"); low2 = slowest
        slowest = 0; three = cell(key, "three"); low3 = slowest
        printf "| %-9s | %-15s | %-9s | %11s | %13s | %18s | %9s | %11s |\n", part[1], part[2], part[3],
          one, two, three, (single > 0 && two != "-" ? sprintf("%.2f", low2 / single) : "-"),
          (single > 0 && three != "-" ? sprintf("%.2f", low3 / single) : "-")
      }
    }' "$1"
}

# vsync_rows: every kind on each simulated display, on the primary monitor alone and
# on every monitor, for this working tree and each revision given, each with its own
# settings (a scene on every monitor where it has them).
vsync_rows() {
  local samples round order layout k side sides display layouts=(one two)
  samples=$(mktemp)
  "${two_monitors[@]}" start "$build" win64 >/dev/null || exit 1
  if lay_out_monitors three; then layouts+=(three); fi
  echo "Full-screen runs (KH_Schoner.scr /s) on displays with vertical sync, simulated by"
  echo "bench/swapcount.c: each swap waits for the swap interval's boundaries of its monitor's"
  echo "refresh grid; $rounds rounds of $run_seconds s each (after $warmup s to settle), layouts ${layouts[*]}:"
  for round in $(seq "$rounds"); do
    order="${layouts[*]}"
    [ $((round % 2)) = 0 ] && order=$(echo "$order" | tr ' ' '\n' | tac | tr '\n' ' ')
    for layout in $order; do
      case $layout in
        one) lay_out_monitors small ;;
        two) lay_out_monitors both ;;
        three) lay_out_monitors three || { echo "three monitors could not be laid out again" >&2; exit 1; } ;;
      esac
      [ "$round" = 1 ] && echo "  $layout: $("${two_monitors[@]}" run "$build" win64 \
        "$build/bench/kh_bench.exe" monitors | tr -d '\r')"
      for k in "${!kinds[@]}"; do
        number=${numbers[k]} saver_settings "${arts[k]}" "$two_prefix"
        for display in "${vsync_displays[@]}"; do
          sides="tree ${revs[*]}"
          [ $((round % 2)) = 0 ] && sides="${revs[*]} tree"
          for side in $sides; do
            echo "$side $layout $display ${kinds[k]} $(vsync_sample "$display" "$(side_saver "$side")")" >>"$samples"
          done
        done
      done
    done
  done
  lay_out_monitors both
  echo
  vsync_summary "$samples"
  rm -f "$samples"
  cat <<'NOTE'

Each cell: the median over the rounds of each window's presented frames per second,
the windows of every run sorted slowest first, then after "/" the torn presents (those
that did not wait for the blank) of all the rounds' windows (one: the primary monitor
alone, 640 x 480; two: the harness's two monitors; three: a third of 640 x 480 beside
them). Displays: 60, every monitor at 60 Hz; 60+75, the 800 x 600 monitor at 75 Hz;
60-one-interval, one swap interval for the whole process. two / one, three / one: the
slowest window's median against one monitor's. Each refresh has its own grid, all of
one phase, and the display has no scan-out or composition of its own: a swap returns
at the boundary its interval asks for, as a driver that blocks in SwapBuffers does.
NOTE
}

# against_rows REV: the scene on the primary monitor only, as every revision draws
# it, and where REV reads the AllMonitors key, a scene on every monitor as well.
against_rows() {
  local rev=$1 samples round k side all_monitors every=0 suffix all_windows
  samples=$(mktemp)
  git -C "$root" grep -q AllMonitors "$rev" -- settings/ && every=1
  "${two_monitors[@]}" start "$build" win64 >/dev/null || exit 1
  lay_out_monitors both
  echo "Full-screen runs (KH_Schoner.scr /s, its own pacing) on the two-monitor harness,"
  echo "this working tree against $rev, $rounds rounds of $run_seconds s each (after $warmup s to settle):"
  echo "  $("${two_monitors[@]}" run "$build" win64 "$build/bench/kh_bench.exe" monitors | tr -d '\r')"
  for round in $(seq "$rounds"); do
    for k in "${!kinds[@]}"; do
      for all_monitors in $(seq 0 $every); do
        suffix= all_windows=
        [ "$all_monitors" = 1 ] && suffix=-every all_windows=yes
        number=${numbers[k]} saver_settings "${arts[k]}" "$two_prefix"
        # Each kind runs on both sides back to back, first one, then the other.
        for side in $( [ $((round % 2)) = 1 ] && echo "tree $rev" || echo "$rev tree"); do
          echo "$side ${kinds[k]}$suffix $(full_screen_sample "$(side_saver "$side")")" >>"$samples"
        done
      done
    done
  done
  echo
  summarize "$rev" tree "$samples"
  rm -f "$samples"
  cat <<'NOTE'

Rows without a suffix: AllMonitors=0, the scene on the primary monitor and a black
window over the other, which every revision draws (an older one ignores the key).
Rows "-every": AllMonitors=1, a scene on each monitor; there a frame is any window's
presented frame, the windows' frames added up. CPU: user + system time of the saver's
Wine process per presented frame; median of the rounds with their range; fps: median
presented frames per second. difference: the tree's median against the revision's. "beyond the
range?": whether the medians differ by more than either side's range; "no" means the
difference is within the machine's noise.
NOTE
}

[ "$peers" = yes ] && peer_rows
if [ "$monitors" = yes ] && [ "$only_vsync" = no ]; then
  monitor_rows
  echo
  display_off_row
  echo
fi
[ "$monitors" = yes ] && vsync_rows
if [ "$only_vsync" = no ]; then
  for rev in "${revs[@]}"; do echo; against_rows "$rev"; done
fi
exit 0
