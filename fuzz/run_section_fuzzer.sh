#!/usr/bin/env bash
# Runs the section-file fuzzer of torvane-deck on a seed corpus gathered now
# from the shared airfoil files (../shared/data/airfoils/*.dat, when present),
# a Lednicer version of each made here, and fuzz/regressions/*.dat. New inputs
# go to WORK/corpus, crashes and timeouts to WORK/findings.
#
#   fuzz/run_section_fuzzer.sh BUILD WORK [libFuzzer options ...]
#   fuzz/run_section_fuzzer.sh build-fuzz /tmp/section-fuzz -max_total_time=600
#   fuzz/run_section_fuzzer.sh build-fuzz /tmp/section-fuzz -seed=1 -runs=20000 -use_cmp=0 -use_memmem=0   # as CI does
set -euo pipefail
. "$(dirname "$0")/fuzz_setup.sh" section_fuzzer "$@"
for file in "$repo"/../shared/data/airfoils/*.dat "$repo"/fuzz/regressions/*.dat; do
  [ -f "$file" ] || continue
  name="$(basename "$file" .dat)"
  cp "$file" "$work/seeds/$name.dat"
  # The Lednicer form: the name, the side counts, each side from the leading edge.
  awk 'NR == 1 { name = $0; next }
       NF == 2 { n++; x[n] = $1; y[n] = $2; if (le == 0 || $1 < x[le]) le = n }
       END { print name; print le ". " n - le + 1 "."; print "";
             for (k = le; k >= 1; k--) print x[k], y[k]; print "";
             for (k = le; k <= n; k++) print x[k], y[k] }' "$file" > "$work/seeds/$name-lednicer.dat"
done

exec "$fuzzer" -timeout=20 -rss_limit_mb=2048 -max_len=8192 \
  -artifact_prefix="$work/findings/" -print_final_stats=1 "${fuzz_options[@]}" "$work/corpus" "$work/seeds"
