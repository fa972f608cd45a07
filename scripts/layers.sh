#!/usr/bin/env bash
# The layering of src/, and its check. Each folder of src/ is one library. A folder may include
# its own headers and those of folders in lower layers; folders in one layer never include each
# other, so the graph between folders has no cycle. The libraries in CMakeLists.txt link only
# lower layers too. Fails, naming each offending line, when anything crosses upward.
set -euo pipefail
cd "$(dirname "$0")/.."

# Lowest first.
layers=(
  "platform"                 # stand-ins for the platform's functions
  "toolkit"                  # the widget kinds
  "state site"               # the AppState record; the provider site's addresses
  "chrome"                   # the main window, its controls, the title strip, the skin layout
  "catalogue browser media"  # the handlers of the three subsystems
  "app"                      # the entry, the created handler, the wiring, the exit routine
)

declare -A layerOf
for i in "${!layers[@]}"; do
  for folder in ${layers[$i]}; do layerOf[$folder]=$i; done
done

status=0
complain() {
  echo "layering: $*" >&2
  status=1
}

for dir in src/*/; do
  folder=$(basename "$dir")
  [ -n "${layerOf[$folder]:-}" ] || complain "src/$folder has no layer in scripts/layers.sh"
done

# Every quoted include that names a folder of src/.
while IFS=: read -r file line text; do
  from=${file#src/}
  from=${from%%/*}
  to=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"/]+)\/.*/\1/' <<<"$text")
  [ -n "${layerOf[$to]:-}" ] || continue
  [ "$from" = "$to" ] && continue
  if [ -z "${layerOf[$from]:-}" ]; then
    continue
  elif [ "${layerOf[$to]}" -ge "${layerOf[$from]}" ]; then
    complain "$file:$line: $from may not include $to: $text"
  fi
done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"]+/' src --include='*.h' --include='*.cpp' || true)

# The libraries' links: lxtv_library(<folder> LINKS lxtv_<lower> ...).
while read -r folder links; do
  for lib in $links; do
    case $lib in lxtv_*) ;; *) continue ;; esac
    to=${lib#lxtv_}
    if [ -z "${layerOf[$to]:-}" ] || [ "${layerOf[$to]}" -ge "${layerOf[$folder]}" ]; then
      complain "CMakeLists.txt: lxtv_$folder may not link $lib"
    fi
  done
done < <(sed -nE 's/^lxtv_library\(([a-z]+) .*LINKS ([^)]*).*/\1 \2/p' CMakeLists.txt | sed -E 's/ EXTRA.*//')

exit $status
