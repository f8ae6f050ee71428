#!/usr/bin/env bash
# Fails when a file of src/ includes a header of a layer it may not use (see allowed.txt beside
# this script). Every library exports src/ as its include folder, so the compiler cannot tell.
# Usage: check.sh [SRC_DIR]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
src="${1:-$here/../../src}"
declare -A direct allowed
layers=()
while IFS= read -r line; do
  line="${line%%#*}"
  [[ "$line" == *:* ]] || continue
  name="${line%%:*}"
  layers+=("$name")
  direct[$name]="$(echo "${line#*:}" | xargs)"
done <"$here/allowed.txt"

# The layers a layer may include from: itself and, transitively, what it uses.
closure() {
  local seen=" $1 " todo=($1) l d
  while ((${#todo[@]})); do
    l="${todo[0]}"
    todo=("${todo[@]:1}")
    for d in ${direct[$l]:-}; do
      if [[ "$seen" != *" $d "* ]]; then
        seen+="$d "
        todo+=("$d")
      fi
    done
  done
  echo "$seen"
}
for l in "${layers[@]}"; do allowed[$l]="$(closure "$l")"; done

# The layer of a path inside src/: the longest layer folder that holds it.
layerOf() {
  local p="$1" best="" l
  for l in "${layers[@]}"; do
    if [[ "$p" == "$l/"* && ${#l} -gt ${#best} ]]; then best="$l"; fi
  done
  echo "$best"
}

status=0
checked=0
while IFS= read -r file; do
  rel="${file#"$src"/}"
  from="$(layerOf "$rel")"
  [ -n "$from" ] || continue
  while IFS= read -r inc; do
    to="$(layerOf "$inc")"
    [ -n "$to" ] || continue
    checked=$((checked + 1))
    if [[ "${allowed[$from]}" != *" $to "* ]]; then
      echo "upward include: src/$rel ($from) includes \"$inc\" ($to)"
      status=1
    fi
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
done < <(find "$src" -name '*.cpp' -o -name '*.h' | sort)

if [ "$status" -eq 0 ]; then echo "layer check: $checked includes follow allowed.txt"; fi
exit "$status"
