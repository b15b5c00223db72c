#!/bin/bash
# The cost of torvane --smooth against the build: grid_build_only (deck,
# surfaces, volume; no check, no files) with and without --smooth, median
# wall seconds of RUNS runs each, on the typical example, the largest classic
# grid and two larger ones (as bench/large_grids.sh makes them).
# Usage: bash bench/smoothing.sh [BUILD_DIR] [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
runs=${2:-7}
cmake --build "$build" --target grid_build_only > /dev/null
work=$(mktemp -d "${TMPDIR:-/tmp}/torvane-smooth-XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
# shellcheck source=large_decks.sh
source "$root/bench/large_decks.sh"
cp "$root/examples/compressor_rotor.in" g81.in
cp "$root/examples/largest_grid.in" g257.in
make_deck g301 384 36 72 96 72
make_deck g401 512 48 96 128 96
# The median of RUNS build times of deck $1 with the options after it.
median() {
  local deck=$1
  shift
  for ((n = 0; n < runs; ++n)); do
    "$build/bench/grid_build_only" t "$@" < "$deck" > /dev/null
    cut -d' ' -f1 t
  done | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}
printf '%-6s %12s %12s %12s %10s\n' grid "build [s]" "smooth [s]" "+ [s]" "ratio"
for g in g81 g257 g301 g401; do
  plain=$(median "$g.in" --large)
  smooth=$(median "$g.in" --large --smooth)
  awk -v g="$g" -v p="$plain" -v s="$smooth" \
    'BEGIN { printf "%-6s %12.4f %12.4f %12.4f %10.2f\n", g, p, s, s - p, (s - p) / p }'
done
