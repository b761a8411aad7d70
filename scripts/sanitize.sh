#!/usr/bin/env bash
# Builds the test suite under the sanitizers and runs it; fails on the first
# report.  Too slow for CI (like scripts/fuzz.sh); run it by hand.
#
#   bash scripts/sanitize.sh            # both builds
#   bash scripts/sanitize.sh asan       # AddressSanitizer + UndefinedBehaviorSanitizer only
#   bash scripts/sanitize.sh tsan       # ThreadSanitizer only
#
# build-asan/: every test under -fsanitize=address,undefined (leaks too).
# build-tsan/: under -fsanitize=thread, the tests that start threads: the
# start-up and its history loader and warm-up, the single-instance lock, the
# entry store and window, the watched reads and the update.
# Reports of the uninstrumented libraries (Qt, fontconfig) are suppressed in
# scripts/sanitize-lsan.supp and scripts/sanitize-tsan.supp; the program's own code is never suppressed.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
export CCACHE_BASEDIR="$PWD"
jobs="${KM_JOBS:-2}"
which="${1:-all}"

build() {  # folder, flags
  cmake -S . -B "$1" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKM_WERROR=OFF \
    -DCMAKE_CXX_FLAGS="$2 -fno-omit-frame-pointer -O1" \
    -DCMAKE_EXE_LINKER_FLAGS="$2" -DCMAKE_SHARED_LINKER_FLAGS="$2" >/dev/null
  cmake --build "$1" -j"$jobs"
}

status=0
if [ "$which" = all ] || [ "$which" = asan ]; then
  build build-asan "-fsanitize=address,undefined -fno-sanitize-recover=undefined"
  echo "== AddressSanitizer + UndefinedBehaviorSanitizer: every test"
  (cd build-asan &&
    ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1" \
    LSAN_OPTIONS="suppressions=$PWD/../scripts/sanitize-lsan.supp:print_suppressions=0" \
    UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
    QT_QPA_PLATFORM=offscreen ctest -j"$jobs" --output-on-failure --timeout 600) || status=1
fi
if [ "$which" = all ] || [ "$which" = tsan ]; then
  build build-tsan "-fsanitize=thread"
  echo "== ThreadSanitizer: the tests that start threads"
  (cd build-tsan &&
    TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$PWD/../scripts/sanitize-tsan.supp" \
    QT_QPA_PLATFORM=offscreen ctest -j"$jobs" --output-on-failure --timeout 600 \
      -R 'StartUp|SingleInstance|EntryStore|EntryWindow|BadDatabase|DatabaseRead|HistoryUpdate|UpdateTest|MenuUpdate|WarmUp|FaultInjection') ||
    status=1
fi
[ "$status" -eq 0 ] && echo "sanitize: clean" || echo "sanitize: reports above"
exit "$status"
