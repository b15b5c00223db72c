#!/usr/bin/env bash
# Runs the topology-file fuzzer on a seed corpus of real topology files: those
# of the shared reference runs (../shared/reference/*/files, when that folder
# exists), the run of every shipped example (when BUILD holds torvane) and
# fuzz/regressions/*.rtp. New inputs go to WORK/corpus, crashes and timeouts
# to WORK/findings.
#
#   fuzz/run_topology_fuzzer.sh BUILD WORK [libFuzzer options ...]
#   fuzz/run_topology_fuzzer.sh build-fuzz /tmp/rtp-fuzz -seed=1 -runs=20000 -use_cmp=0 -use_memmem=0   # as CI does
set -euo pipefail
. "$(dirname "$0")/fuzz_setup.sh" topology_fuzzer "$@"
n=0
for file in "$repo"/../shared/reference/*/files/*.rtp "$repo"/../shared/reference/*/files/*/*.rtp \
            "$repo"/fuzz/regressions/*.rtp; do
  [ -f "$file" ] || continue
  n=$((n + 1))
  cp "$file" "$work/seeds/$n-$(basename "$file")"
done
# Without the shared folder, a topology file written here by hand: the typical
# run's 81 x 33 x 17 points, leading edge 21, trailing edge 51, 30 blades.
if [ "$n" = 0 ]; then
  printf '%s\r\n' "# Topology file for a blade (H-grid, 1 region)" "#" "1 1" "1" "10  80  32  16" \
    "120     3   -1  -16    1   20    1    4   -1  -16    1   20" " -0.20943951023931953     " \
    "120     4   -1  -16    1   20    1    3   -1  -16    1   20" "  0.20943951023931953     " \
    "120     3   -1  -16   51   80    1    4   -1  -16   51   80" " -0.20943951023931953     " \
    "120     4   -1  -16   51   80    1    3   -1  -16   51   80" "  0.20943951023931953     " \
    " 70     3    1   16   21   50    0    0    0    0    0    0" \
    " 70     4    1   16   21   50    0    0    0    0    0    0" \
    " 70     5    1   80    1   32    0    0    0    0    0    0" \
    " 70     6    1   80    1   32    0    0    0    0    0    0" \
    " 10     1    1   32    1   16    0    0    0    0    0    0" \
    " 20     2    1   32    1   16    0    0    0    0    0    0" > "$work/seeds/typical.rtp"
fi

exec "$fuzzer" -timeout=20 -rss_limit_mb=2048 -max_len=4096 -dict="$repo/fuzz/topology.dict" \
  -artifact_prefix="$work/findings/" -print_final_stats=1 "${fuzz_options[@]}" "$work/corpus" "$work/seeds"
