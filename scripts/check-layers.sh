#!/usr/bin/env bash
# Fails when a source file includes a header of a folder above its own. The layers, lowest first;
# a folder may include its own headers and those of the folders before it in this list.
set -euo pipefail
cd "$(dirname "$0")/.."

layers=(config rest convert gui widgets fields screens app)
status=0
for ((i = 0; i < ${#layers[@]}; i++)); do
  folder=${layers[i]}
  above=("${layers[@]:i+1}")
  [ ${#above[@]} -gt 0 ] || continue
  pattern="^#include \"($(IFS='|'; echo "${above[*]}"))/"
  if found=$(grep -rnE "$pattern" "$folder" --include='*.cpp' --include='*.h'); then
    echo "$folder/ includes a folder above it:"
    echo "$found"
    status=1
  fi
done
[ $status -eq 0 ] && echo "every include points down: ${layers[*]}"
exit $status
