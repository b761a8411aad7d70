#!/usr/bin/env bash
# Draws which folder includes which and fails on an include that runs up a
# layer (or sideways into another folder of the same layer).  The layers,
# lowest first:
#   0 store   1 frame   2 analyses   3 charts entry help prediction tickets update
#   4 windows   5 app   6 tool
# Within the store, store/*.h (the draw and its values) is the floor that
# sqlite/, formats/, files/ and crypto/ stand on.
#
#   bash scripts/layers.sh          # check, and print the arrows
set -euo pipefail
cd "$(dirname "$0")/.."
declare -A rank=([store]=0 [frame]=1 [analyses]=2 [charts]=3 [entry]=3 [help]=3 [prediction]=3
  [tickets]=3 [update]=3 [windows]=4 [app]=5 [tool]=6)
# store's own rooms: the floor 0, the rooms 1; sqlite may use formats (an
# update writes what a list brought), nothing uses sqlite but sqlite
declare -A room=([.]=0 [crypto]=1 [files]=1 [formats]=2 [sqlite]=3)
bad=0
declare -A arrows=()
while IFS= read -r f; do
  from=${f%%/*}
  [ -n "${rank[$from]+x}" ] || continue
  while IFS= read -r inc; do
    to=${inc%%/*}
    [ -n "${rank[$to]+x}" ] || continue
    if [ "$from" = store ] && [ "$to" = store ]; then
      a=$(dirname "${f#store/}"); a=${a%%/*}
      b=$(dirname "${inc#store/}"); b=${b%%/*}
      [ "$a" = "$b" ] && continue
      arrows["store/$a -> store/$b"]=1
      if [ "${room[$b]}" -ge "${room[$a]}" ]; then
        echo "up: $f includes $inc" >&2
        bad=1
      fi
      continue
    fi
    [ "$from" = "$to" ] && continue
    arrows["$from -> $to"]=1
    if [ "${rank[$to]}" -ge "${rank[$from]}" ]; then
      echo "up: $f includes $inc" >&2
      bad=1
    fi
  done < <(grep -o '^#include "[a-z_]*/[^"]*"' "$f" | sed 's/#include "//;s/"$//')
done < <(git ls-files '*.cpp' '*.h' | grep -v '^tests/\|^fuzz/')
printf '%s\n' "${!arrows[@]}" | sort
exit $bad
