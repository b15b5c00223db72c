#!/usr/bin/env bash
# Runs the flow-path fuzzer on a seed corpus of the shipped flow-path files
# (examples/*.path) and fuzz/regressions/*.path. New inputs go to WORK/corpus,
# crashes and timeouts to WORK/findings.
#
#   fuzz/run_flow_path_fuzzer.sh BUILD WORK [libFuzzer options ...]
#   fuzz/run_flow_path_fuzzer.sh build-fuzz /tmp/path-fuzz -seed=1 -runs=20000 -use_cmp=0 -use_memmem=0   # as CI does
set -euo pipefail
if [ $# -lt 2 ]; then
  echo "usage: $0 BUILD WORK [libFuzzer options ...]" >&2
  exit 2
fi
repo="$(cd "$(dirname "$0")/.." && pwd)"
build="$1"
work="$2"
shift 2
fuzzer="$build/fuzz/flow_path_fuzzer"
[ -x "$fuzzer" ] || { echo "$fuzzer not found: build it first (see fuzz/README.md)" >&2; exit 2; }

mkdir -p "$work/corpus" "$work/seeds" "$work/findings"
rm -f "$work/seeds"/*
for file in "$repo"/examples/*.path "$repo"/fuzz/regressions/*.path; do
  [ -f "$file" ] && cp "$file" "$work/seeds/"
done

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
exec "$fuzzer" -timeout=20 -rss_limit_mb=2048 -max_len=4096 \
  -artifact_prefix="$work/findings/" -print_final_stats=1 "$@" "$work/corpus" "$work/seeds"
