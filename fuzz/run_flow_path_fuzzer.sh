#!/usr/bin/env bash
# Runs the flow-path fuzzer on a seed corpus of the shipped flow-path files
# (examples/*.path) and fuzz/regressions/*.path. New inputs go to WORK/corpus,
# crashes and timeouts to WORK/findings.
#
#   fuzz/run_flow_path_fuzzer.sh BUILD WORK [libFuzzer options ...]
#   fuzz/run_flow_path_fuzzer.sh build-fuzz /tmp/path-fuzz -seed=1 -runs=20000 -use_cmp=0 -use_memmem=0   # as CI does
set -euo pipefail
. "$(dirname "$0")/fuzz_setup.sh" flow_path_fuzzer "$@"
for file in "$repo"/examples/*.path "$repo"/fuzz/regressions/*.path; do
  [ -f "$file" ] || continue
  cp "$file" "$work/seeds/"
done

exec "$fuzzer" -timeout=20 -rss_limit_mb=2048 -max_len=4096 \
  -artifact_prefix="$work/findings/" -print_final_stats=1 "${fuzz_options[@]}" "$work/corpus" "$work/seeds"
