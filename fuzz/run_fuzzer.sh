#!/usr/bin/env bash
# Runs the deck fuzzer on a seed corpus gathered now from examples/*.in, the
# shared public decks (../shared/cases/public/*.in, when present) and the
# regression decks in fuzz/regressions/*.in. New inputs go to WORK/corpus, crashes
# and timeouts to WORK/findings; the runs' scratch files go under TMPDIR
# (/dev/shm when there is one).
#
#   fuzz/run_fuzzer.sh BUILD WORK [libFuzzer options ...]
#   fuzz/run_fuzzer.sh build-fuzz /tmp/deck-fuzz -max_total_time=1800
#   fuzz/run_fuzzer.sh build-fuzz /tmp/deck-fuzz -seed=1 -runs=3500 -use_cmp=0 -use_memmem=0   # as CI does
set -euo pipefail
. "$(dirname "$0")/fuzz_setup.sh" deck_fuzzer "$@"
for deck in "$repo"/examples/*.in "$repo"/../shared/cases/public/*.in "$repo"/fuzz/regressions/*.in; do
  [ -f "$deck" ] || continue
  cp "$deck" "$work/seeds/$(basename "$(dirname "$deck")")-$(basename "$deck")"
done

if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi
exec "$fuzzer" -dict="$repo/fuzz/deck.dict" -timeout=20 -rss_limit_mb=2048 -max_len=16384 \
  -artifact_prefix="$work/findings/" -print_final_stats=1 "${fuzz_options[@]}" "$work/corpus" "$work/seeds"
