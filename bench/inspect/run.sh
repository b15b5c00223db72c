#!/usr/bin/env bash
# Benchmark of `torvane-inspect report` on the largest grid (257 x 65 x 49,
# 818,545 points) against the time torvane takes to write that grid.
# Target: report in under 1.5 x torvane's time. Medians of RUNS runs each.
# Usage: bash bench/inspect/run.sh [BUILD_DIR] [RUNS]
# Exit status: 0 on target, 1 off target, 2 when a build or a run fails.
set -euo pipefail
export LC_ALL=C  # a decimal point in the times, whatever the user's locale
repo="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$repo/build}"
runs="${2:-5}"
# The runs happen in a scratch folder: a relative build folder is taken from here.
case "$build" in
  /*) ;;
  *) build="$PWD/$build" ;;
esac
[ -n "${EPOCHREALTIME:-}" ] || { echo "needs bash 5 or later (EPOCHREALTIME)" >&2; exit 2; }
[[ "$runs" =~ ^[1-9][0-9]*$ ]] || { echo "RUNS must be a positive whole number, not '$runs'" >&2; exit 2; }
shared="${TORVANE_SHARED_DIR:-$repo/../shared}"
deck="$shared/cases/public/largest.in"
[ -f "$deck" ] || { echo "no deck $deck (set TORVANE_SHARED_DIR)" >&2; exit 2; }
deck="$(cd "$(dirname "$deck")" && pwd)/$(basename "$deck")"

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
log="$scratch/build.log"
{ [ -f "$build/CMakeCache.txt" ] || cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=Release; } >"$log" 2>&1 &&
  cmake --build "$build" -j2 --target torvane torvane-inspect >>"$log" 2>&1 || { cat "$log" >&2; exit 2; }
torvane="$build/bin/torvane"
inspect="$build/bin/torvane-inspect"
for program in "$torvane" "$inspect"; do
  [ -x "$program" ] || { echo "no program $program after the build" >&2; exit 2; }
done
cd "$scratch"

# Wall-clock seconds of one command, its output discarded; the command's exit status.
seconds() {
  local start end status=0
  start=$EPOCHREALTIME
  "$@" >/dev/null || status=$?
  end=$EPOCHREALTIME
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.6f\n", b - a }'
  return "$status"
}

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

write_times=()
report_times=()
for ((n = 0; n < runs; n++)); do
  rm -f largest.rgra
  took=$(seconds "$torvane" <"$deck") || { echo "torvane failed with status $?" >&2; exit 2; }
  [ -s largest.rgra ] || { echo "torvane wrote no grid file largest.rgra" >&2; exit 2; }
  write_times+=("$took")
  took=$(seconds "$inspect" report largest) || { echo "report failed with status $?" >&2; exit 2; }
  report_times+=("$took")
done
write=$(printf '%s\n' "${write_times[@]}" | median)
report=$(printf '%s\n' "${report_times[@]}" | median)
ratio=$(awk -v r="$report" -v w="$write" 'BEGIN { printf "%.4f", r / w }')
printf 'torvane (largest grid, all three files): %.3f s\n' "$write"
printf 'torvane-inspect report largest:          %.3f s\n' "$report"
printf 'ratio: %.2f (target below 1.50)\n' "$ratio"
awk -v q="$ratio" 'BEGIN { exit !(q < 1.5) }'
