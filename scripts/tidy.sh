#!/usr/bin/env bash
# Runs clang-tidy with .clang-tidy over the project's own sources, with the
# compile commands of a build (build/compile_commands.json, made by CMake).
# Fails listing the findings; every check is an error.
#
#   bash scripts/tidy.sh                 # the whole tree (some minutes on two cores)
#   bash scripts/tidy.sh store/formats/csv.cpp   # the files named
#   BUILD=build-other bash scripts/tidy.sh
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD:-build}
if [ ! -f "$build/compile_commands.json" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
# moc's files and the generated headers must exist before they are parsed.
cmake --build "$build" -j2 --target kazumaki kazumaki-tool core_tests ui_tests kazumaki-extras >/dev/null
if [ $# -gt 0 ]; then
  files=("$@")
else
  mapfile -t files < <(find app analyses charts entry frame help prediction store tests tool update windows \
    -type f -name '*.cpp' | sort)
fi
jobs=${JOBS:-2}
# The test programs' sources compile with -Wno-restrict; clang knows no such warning.
printf '%s\n' "${files[@]}" | xargs -P "$jobs" -n 4 clang-tidy -p "$build" --quiet \
  --extra-arg=-Wno-unknown-warning-option --extra-arg=-Wno-error 2>/dev/null
echo "clang-tidy: ${#files[@]} files, no findings."
