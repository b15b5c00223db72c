#!/usr/bin/env bash
# The layout's rules, read from the sources: which folder may include which
# (no cycle between folders), no numerical folder includes the console or the
# run's stop, and
# the storage limits written as numbers in their one header only.
# Usage: layout_check.sh SOURCE_DIR; prints each breach, exits 1 if any.
set -u
src="${1:?usage: layout_check.sh SOURCE_DIR}/src"
status=0

# The folders each folder may include besides itself: a one-way order.
declare -A allowed=(
  [base]=""
  [distribution]="base"
  [geometry]="base distribution"
  [output]="base"
  [control]="base distribution geometry output"
  [deck]="base control distribution geometry output"
  [inspect]="base"
)

for dir in "$src"/*/; do
  folder=$(basename "$dir")
  if [[ -z "${allowed[$folder]+set}" ]]; then
    echo "src/$folder: a folder the layout does not know; add it to tests/architecture/layout_check.sh"
    status=1
    continue
  fi
  while IFS=: read -r file include; do
    target=${include%%/*}
    [[ "$target" == "$folder" ]] && continue
    if [[ " ${allowed[$folder]} " != *" $target "* ]]; then
      echo "${file#"$src"/}: includes $include, but $folder may include only: ${allowed[$folder]:-nothing else}"
      status=1
    fi
  done < <(grep -rHoE '^#include "[a-z_]+/[a-z_./]+"' "$dir" --include='*.[ch]pp' | sed -E 's/:#include "/:/; s/"$//')
done

# The numerical routines report through the diagnostics interface.
if hits=$(grep -rlE '^#include "output/console.hpp"' "$src"/distribution "$src"/geometry); then
  for file in $hits; do echo "${file#"$src"/}: a numerical routine includes the console"; done
  status=1
fi

# The numerical routines decide no exit status: they throw a Build_failure,
# which the run turns into its line and status.
if hits=$(grep -lE '^#include "base/run_stop.hpp"' "$src"/distribution/* "$src"/geometry/*); then
  for file in $hits; do echo "${file#"$src"/}: a numerical routine includes base/run_stop.hpp (throw a Build_failure)"; done
  status=1
fi

# The storage limits as numbers in one header only.
# A whole number, not part of a decimal (0.65) or of a longer number.
if hits=$(grep -nP '(?<![\w.])(257|65|49)(?![\w.])' -r "$src" --include='*.[ch]pp' | grep -v '^'"$src"'/base/storage_limits.hpp:'); then
  echo "$hits" | sed "s#^$src/##; s#\$#   <- a storage limit written as a number outside base/storage_limits.hpp#"
  status=1
fi

[[ $status == 0 ]] && echo "layout: folders include one way, no numerical folder prints or stops the run, the storage limits are in one header"
exit $status
