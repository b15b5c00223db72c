#!/usr/bin/env bash
# Benchmark of `torvane-inspect report` on the largest grid (257 x 65 x 49,
# 818,545 points) against the time torvane takes to write that grid.
# Target: report in under 1.5 x torvane's time. Medians of RUNS runs each.
# Usage: bash bench/inspect/run.sh [BUILD_DIR] [RUNS]
set -euo pipefail
repo="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$repo/build}"
runs="${2:-5}"
shared="${TORVANE_SHARED_DIR:-$repo/../shared}"
deck="$shared/cases/public/largest.in"
[ -f "$deck" ] || { echo "no deck $deck (set TORVANE_SHARED_DIR)" >&2; exit 2; }

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
log="$scratch/build.log"
{ [ -f "$build/CMakeCache.txt" ] || cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=Release; } >"$log" 2>&1 &&
  cmake --build "$build" -j2 --target torvane torvane-inspect >>"$log" 2>&1 || { cat "$log" >&2; exit 2; }
torvane="$build/torvane"
inspect="$build/src/inspect/torvane-inspect"
cd "$scratch"

# Wall-clock seconds of one command, its output discarded.
seconds() {
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.6f\n", b - a }'
}

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

write_times=()
report_times=()
for ((n = 0; n < runs; n++)); do
  write_times+=("$(seconds "$torvane" < "$deck")")
  status=0
  report_times+=("$(seconds "$inspect" report largest)") || status=$?
  [ "$status" -eq 0 ] || { echo "report failed with status $status" >&2; exit 2; }
done
write=$(printf '%s\n' "${write_times[@]}" | median)
report=$(printf '%s\n' "${report_times[@]}" | median)
ratio=$(awk -v r="$report" -v w="$write" 'BEGIN { printf "%.4f", r / w }')
printf 'torvane (largest grid, all three files): %.3f s\n' "$write"
printf 'torvane-inspect report largest:          %.3f s\n' "$report"
printf 'ratio: %.2f (target below 1.50)\n' "$ratio"
awk -v q="$ratio" 'BEGIN { exit !(q < 1.5) }'
