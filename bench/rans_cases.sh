#!/bin/bash
# The RANS cases of `torvane-inspect export --to openfoam --case rans`, each run
# to its end by its own Allrun (nice -n 10, one process), with the figures of
# bench/rans_summary.py: iterations, the iteration from which p and the velocity
# stay at or below 1e-3, the final residuals, the inlet and outlet flow rates,
# the solver's CPU time and the wall time. Run by hand (tens of minutes); CI
# runs the short smoke runs of torvane_solver_tests instead.
#
# Usage: bash bench/rans_cases.sh [BUILD_DIR] [CASE ...]
# CASE: compressor_rotor, turbine_stator, rotor37 (the shared Rotor 37 files as
# torvane-deck reads them, default counts, with the info file's tip clearance,
# its tapered tip and the info file's speed), rotor37_flat (the same with a flat
# tip, --tip-pinch 0), rotor37_no_gap (the same deck without its tip-gap
# entry: the blade to the casing, on the same 48 spanwise intervals); all five
# when none is named. The cases stay in the printed folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
shift $(($# > 0 ? 1 : 0))
cases=("$@")
[ ${#cases[@]} -gt 0 ] || cases=(compressor_rotor turbine_stator rotor37 rotor37_flat rotor37_no_gap)
shared=${TORVANE_SHARED_DIR:-$root/../shared}
r37=$shared/data/rotor37
for program in torvane torvane-deck torvane-inspect; do
  [ -x "$build/bin/$program" ] || cmake --build "$build" --target "$program" > /dev/null
done
if ! [ -f /usr/share/openfoam/etc/bashrc ] && ! command -v simpleFoam > /dev/null; then
  echo "OpenFOAM not found (Debian: apt-get install openfoam)" >&2
  exit 2
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/torvane-rans-XXXXXX")
echo "cases in $work" >&2
cd "$work"

# The grid of the case and its RANS case folder CASE_openfoam.
prepare() {
  case "$1" in
    compressor_rotor | turbine_stator)
      sed "2s/^[^ ]*/$1/" "$root/examples/$1.in" > "$1.in"
      "$build/bin/torvane" < "$1.in" > /dev/null
      local speed=0
      [ "$1" = compressor_rotor ] && speed=815
      "$build/bin/torvane-inspect" export --to openfoam --case rans --rpm "$speed" --inflow 20 --output "$1_openfoam" "$1"
      ;;
    rotor37 | rotor37_flat | rotor37_no_gap)
      [ -f "$r37/profile_R37.dat" ] || { echo "no Rotor 37 files in $r37 (set TORVANE_SHARED_DIR)" >&2; return 1; }
      local counts=()
      [ "$1" = rotor37_flat ] && counts=(--tip-pinch 0)
      "$build/bin/torvane-deck" --profile "$r37/profile_R37.dat" --hub-curve "$r37/hub_R37.dat" \
        --casing-curve "$r37/shroud_R37.dat" --info "$r37/Info.txt" --fname "$1" "${counts[@]}" > "$1.in"
      # The blade to the casing: the deck without its block's tip-gap entry.
      [ "$1" = rotor37_no_gap ] && sed -i '/^tip-gap /d' "$1.in"
      "$build/bin/torvane" < "$1.in" > /dev/null 2> "$1.notes" || { cat "$1.notes" >&2; return 1; }
      # The speed is the info file's, from the run's machine file; the inflow the default.
      "$build/bin/torvane-inspect" export --to openfoam --case rans --output "$1_openfoam" "$1"
      ;;
    *)
      echo "unknown case $1: compressor_rotor, turbine_stator, rotor37, rotor37_flat or rotor37_no_gap" >&2
      return 1
      ;;
  esac
}

summary=()
for c in "${cases[@]}"; do
  prepare "$c" >&2
  start=$(date +%s.%N)
  nice -n 10 "./${c}_openfoam/Allrun" >&2 || echo "$c: the solver stopped with status $?" >&2
  end=$(date +%s.%N)
  summary+=("$c" "${c}_openfoam" "$(echo "$end - $start" | bc)")
done
/usr/bin/python3 "$root/bench/rans_summary.py" "${summary[@]}"
