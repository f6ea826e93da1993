#!/usr/bin/env bash
# Checks that every include between the engine's folders points down the
# layers of engine/README.md, and that the program (app/, exam/, prefs/,
# sampler/) includes only the engine's public headers at engine/ root.
# Tests and their fixtures may use any layer to set things up.
#   scripts/check_layers.sh [SOURCE_ROOT]
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root"

# What each engine folder may include besides itself ("root" = engine/*.h).
declare -A may_use=(
  [text]=""
  [file]="text"
  [index]="file text"
  [blob]="file text"
  [filter]="index file text"
  [data]="index blob file text"
)

faults=0
fault() {
  echo "$1: includes $2 ($3)"
  faults=$((faults + 1))
}

is_test() {
  case $(basename "$1") in
    *test* | *fixture*) return 0 ;;
    *) return 1 ;;
  esac
}

for folder in "${!may_use[@]}"; do
  for file in engine/"$folder"/*.h engine/"$folder"/*.cpp; do
    [[ -e $file ]] || continue
    is_test "$file" && continue
    while read -r included; do
      target=$(dirname "${included#engine/}")
      [[ $target == . ]] && target=root
      [[ $target == "$folder" ]] && continue
      [[ " ${may_use[$folder]} " == *" $target "* ]] && continue
      fault "$file" "$included" "$folder/ may use: ${may_use[$folder]:-nothing}"
    done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\(engine\/[^"]*\)".*/\1/p' "$file")
  done
done

for folder in app exam prefs sampler; do
  [[ -d $folder ]] || continue
  while IFS= read -r -d '' file; do
    while read -r included; do
      [[ $included == engine/*/* ]] || continue
      fault "$file" "$included" "the program uses only the headers at engine/ root"
    done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\(engine\/[^"]*\)".*/\1/p' "$file")
  done < <(find "$folder" \( -name '*.h' -o -name '*.cpp' \) -print0 | sort -z)
done

if ((faults > 0)); then
  echo "$faults includes against the engine's layers (engine/README.md)"
  exit 1
fi
echo "engine layers: every include points down"
