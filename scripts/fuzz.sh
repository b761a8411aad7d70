#!/usr/bin/env bash
# Builds the fuzz harnesses of every reader with clang in build-fuzz/ and runs
# each for a fixed number of inputs under AddressSanitizer (with leak
# detection) and UndefinedBehaviorSanitizer, stopping at the first report.
#
#   bash scripts/fuzz.sh          # the numbers of inputs below
#   bash scripts/fuzz.sh 10       # ten times as many
#   KM_FUZZ_SEED=1 bash scripts/fuzz.sh   # a fixed random seed
#
# The seeds in fuzz/corpus/ are not changed: each fuzzer works on a copy.
# A finding is saved as build-fuzz/fuzz-artifacts/<fuzzer>-crash-*, the
# output of each fuzzer as build-fuzz/fuzz-logs/<fuzzer>.log.  Replay one with
#   build-fuzz/fuzz/fuzz_<fuzzer> <file>
# (KM_FUZZ_VERBOSE=1 prints what the database fuzzers' inputs gave).
set -euo pipefail
cd "$(dirname "$0")/.."

# clang with libFuzzer and the sanitizer runtimes (Debian 12).
fuzz_packages=(clang libclang-rt-14-dev)
missing=()
for p in "${fuzz_packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
bash scripts/install-deps.sh

scale="${1:-1}"
# fuzzer        inputs   seeds (fuzz/corpus/...)
fuzzers=(
  "csv          200000   csv"
  "cell_number  100000   cell_number"
  "settings      30000   settings"
  "database      30000   database"
  "update        20000   database"
  "feed         200000   feed"
  "tickets      200000   tickets"
)

CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKM_FUZZ=ON >/dev/null
CCACHE_BASEDIR="$PWD" cmake --build build-fuzz --target fuzzers -j1 >/dev/null

# Files the fuzzers write go to memory where it can: no disk syncs per input.
tmp_base=/dev/shm
[ -d "$tmp_base" ] && [ -w "$tmp_base" ] || tmp_base="${TMPDIR:-/tmp}"
work="$(mktemp -d "$tmp_base/kazumaki-fuzz.XXXXXX")"
trap 'rm -rf "$work"' EXIT
logs=build-fuzz/fuzz-logs
artifacts=build-fuzz/fuzz-artifacts
mkdir -p "$logs" "$artifacts"

export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:abort_on_error=0:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"

total=0
failed=0
summary=()
start_all=$(date +%s)
for line in "${fuzzers[@]}"; do
  read -r name runs seeds <<<"$line"
  runs=$((runs * scale))
  corpus="$work/corpus-$name"
  mkdir -p "$corpus" "$work/tmp-$name"
  cp fuzz/corpus/"$seeds"/* "$corpus"/
  log="$logs/$name.log"
  seed_opt=()
  [ -n "${KM_FUZZ_SEED:-}" ] && seed_opt=(-seed="$KM_FUZZ_SEED")
  echo "fuzz_$name: $runs inputs ..."
  start=$(date +%s)
  set +e
  TMPDIR="$work/tmp-$name" build-fuzz/fuzz/fuzz_"$name" -runs="$runs" -timeout=30 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$artifacts/$name-" "${seed_opt[@]}" "$corpus" >"$log" 2>&1
  rc=$?
  set -e
  secs=$(($(date +%s) - start))
  units=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  units=${units:-0}
  used_seed=$(sed -n 's/.*Seed: \([0-9]*\).*/\1/p' "$log" | head -1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  if [ "$rc" -eq 0 ] && ! grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error:|fuzz property broken' "$log"; then
    result=clean
  else
    result="FAILED (exit $rc, see $log)"
    failed=1
  fi
  total=$((total + units))
  summary+=("$(printf '%-12s %9s inputs %5ss  cov %-5s seed %-11s %s' "$name" "$units" "$secs" "${cov:-?}" "${used_seed:-?}" "$result")")
done

echo
echo "Fuzzing summary (ASan + UBSan, halt on error, leak detection):"
printf '  %s\n' "${summary[@]}"
echo "  total        $total inputs in $(($(date +%s) - start_all))s"
if [ "$failed" -ne 0 ]; then
  echo "Findings are in $artifacts/."
  exit 1
fi
