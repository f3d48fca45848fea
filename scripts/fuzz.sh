#!/usr/bin/env bash
# Builds the libFuzzer targets (clang) and runs each one for SECONDS seconds,
# starting from the committed seeds plus what earlier runs found.
#   scripts/fuzz.sh [SECONDS] [BUILD_DIR]
# Prints one line per target; fails when any target finds a crash, which it
# leaves as BUILD_DIR/crashes/<target>-crash-*.
set -euo pipefail
seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${2:-$root/build-fuzz}
case $build in /*) ;; *) build=$root/$build ;; esac
if [ ! -f "$build/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S "$root/host" -B "$build" -DQB_FUZZ=ON >/dev/null
fi
cmake --build "$build" -j"${JOBS:-2}" >/dev/null
mkdir -p "$build/crashes" "$build/logs"
failed=0
for exe in "$build"/*Fuzz; do
  target=$(basename "$exe")
  name=${target%Fuzz}
  corpus=$build/corpus/$name
  mkdir -p "$corpus"
  log=$build/logs/$name.log
  if "$exe" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
       -artifact_prefix="$build/crashes/$target-" "$corpus" "$root/host/fuzz/seeds/$name" \
       >"$log" 2>&1; then
    crashes=0
  else
    crashes=1
    failed=1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  printf '%-24s %10s executions  %d crashes  corpus %s\n' "$target" "${runs:-?}" "$crashes" \
    "$(ls "$corpus" | wc -l)"
  if [ "$crashes" -ne 0 ]; then
    grep -E 'ERROR|runtime error|SUMMARY|Test unit written' "$log" | head -n 8 | sed 's/^/    /'
  fi
done
exit $failed
