#!/usr/bin/env bash
# Builds the window-free logic natively with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer, runs its checks and fuzzes the number conversion
# and the command line for a bounded time each.
#   tools/native_checks.sh [SECONDS [COMMAND_LINE_SECONDS]]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$top/build-native
seconds=${1:-20}
command_line_seconds=${2:-15}
CXX=clang++ cmake -S "$top/tools/native" -B "$build" -G Ninja >/dev/null
cmake --build "$build" >"$build/build.log" 2>&1 || { cat "$build/build.log"; exit 1; }
"$build/conversion_checks"
"$build/command_line_checks"
mkdir -p "$build/corpus"
"$build/conversion_fuzzer" -max_total_time="$seconds" -max_len=64 -artifact_prefix="$build/" "$build/corpus" 2>"$build/fuzz.log" ||
  { tail -40 "$build/fuzz.log"; exit 1; }
tail -1 "$build/fuzz.log"
mkdir -p "$build/command_line_corpus"
"$build/command_line_fuzzer" -max_total_time="$command_line_seconds" -max_len=256 -artifact_prefix="$build/" \
  "$build/command_line_corpus" 2>"$build/command_line_fuzz.log" ||
  { tail -40 "$build/command_line_fuzz.log"; exit 1; }
tail -1 "$build/command_line_fuzz.log"
