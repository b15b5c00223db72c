#!/usr/bin/env bash
# The whole-run benchmark in one command: builds torvane and the benchmark
# programs (a Release build is configured when the folder has none), then
# times torvane, its floor and the grid build alone on the largest-grid and
# the typical example. Exit status 1 when a target is missed at the largest
# grid, 2 when something could not be built or run.
# Usage: bash bench/run.sh [BUILD_DIR] [RUNS]   (defaults: build, 7)
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$repo/build}"
runs="${2:-7}"

log="$(mktemp)"
trap 'rm -f "$log"' EXIT
{ [ -f "$build/CMakeCache.txt" ] || cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=Release; } >"$log" 2>&1 &&
  cmake --build "$build" -j2 --target torvane grid_build_only floor_write whole_run_bench >>"$log" 2>&1 ||
  { cat "$log" >&2; exit 2; }
type="$(sed -n 's/^CMAKE_BUILD_TYPE:STRING=//p' "$build/CMakeCache.txt")"
sanitize="$(sed -n 's/^TORVANE_SANITIZE:BOOL=//p' "$build/CMakeCache.txt")"
if [ "$type" != Release ] || [ "$sanitize" = ON ]; then
  echo "warning: $build is a ${type:-default} build (sanitizers ${sanitize:-OFF}); its timings mean little" >&2
fi

exec "$build/bench/whole_run_bench" --runs "$runs" "$build/bin/torvane" "$build/bench/grid_build_only" \
  "$build/bench/floor_write" "$repo/examples/largest_grid.in" "$repo/examples/compressor_rotor.in"
