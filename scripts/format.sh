#!/usr/bin/env bash
# Formats the C++ sources with .clang-format; with --check, changes nothing
# and fails listing the files that are not formatted.
#
#   bash scripts/format.sh           # format every file in place
#   bash scripts/format.sh --check   # the check the test command runs
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -d '' files < <(find app analyses charts entry frame fuzz help prediction store tests tool update windows \
  -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.inc' \) -print0 | sort -z)
if [ "${1:-}" != "--check" ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
bad=()
for f in "${files[@]}"; do
  clang-format --dry-run -Werror "$f" >/dev/null 2>&1 || bad+=("$f")
done
if [ ${#bad[@]} -ne 0 ]; then
  echo "Not formatted (run: bash scripts/format.sh):" >&2
  printf '  %s\n' "${bad[@]}" >&2
  exit 1
fi
echo "Format: ${#files[@]} files follow .clang-format."
