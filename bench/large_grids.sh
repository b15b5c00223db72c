#!/bin/bash
# Time and peak memory of torvane --large and torvane-inspect report on the
# largest classic grid and two larger ones made from examples/largest_grid.in
# (nblade, nin, nout, npitch, nspan changed): 257 x 65 x 49, 301 x 97 x 73 and
# 401 x 129 x 97 points. Usage: bash bench/large_grids.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/torvane-large-XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
# shellcheck source=large_decks.sh
source "$root/bench/large_decks.sh"
make_deck g257 256 48 80 64 48
make_deck g301 384 36 72 96 72
make_deck g401 512 48 96 128 96
printf '%-6s %10s %14s %14s %16s %16s\n' grid points "torvane [s]" "torvane [MB]" "report [s]" "report [MB]"
for g in g257 g301 g401; do
  /usr/bin/time -f '%e %M' -o t1 "$build/bin/torvane" --large < "$g.in" > /dev/null
  /usr/bin/time -f '%e %M' -o t2 "$build/bin/torvane-inspect" report "$g" > report.txt
  points=$(awk '/points/ { print $NF; exit }' report.txt)
  read -r t1 m1 < t1
  read -r t2 m2 < t2
  printf '%-6s %10s %14s %14.1f %16s %16.1f\n' "$g" "$points" "$t1" "$((m1))e-3" "$t2" "$((m2))e-3"
  rm -f "$g.rgra" "$g.rtp" "${g}_grid_volume.plt"
done
