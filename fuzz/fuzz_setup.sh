# The part every fuzz script shares, sourced by each: checks the arguments
# (BUILD WORK [libFuzzer options ...]), sets repo, work, fuzzer and the
# remaining libFuzzer options in fuzz_options, makes WORK/corpus, an emptied
# WORK/seeds and WORK/findings, and sets the sanitizers' defaults.
#   . "$(dirname "$0")/fuzz_setup.sh" FUZZER_NAME "$@"
name="$1"
shift
if [ $# -lt 2 ]; then
  echo "usage: $0 BUILD WORK [libFuzzer options ...]" >&2
  exit 2
fi
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
fuzzer="$1/fuzz/$name"
work="$2"
shift 2
fuzz_options=("$@")
[ -x "$fuzzer" ] || { echo "$fuzzer not found: build it first (see fuzz/README.md)" >&2; exit 2; }

mkdir -p "$work/corpus" "$work/seeds" "$work/findings"
rm -f "$work/seeds"/*
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
