# Sourced by the benchmark scripts: make_deck STEM NBLADE NIN NOUT NPITCH NSPAN
# writes STEM.in, a copy of examples/largest_grid.in with the stem and the five
# counts (records 2 to 7) replaced. Needs $root, the repository's root.
make_deck() {
  awk -v stem="$1" -v nblade="$2" -v nin="$3" -v nout="$4" -v npitch="$5" -v nspan="$6" '
    NR == 2 { print stem; next }
    NR == 3 { print nblade; next }
    NR == 4 { print nin; next }
    NR == 5 { print nout; next }
    NR == 6 { print npitch; next }
    NR == 7 { print nspan; next }
    { print }' "$root/examples/largest_grid.in" > "$1.in"
}
