#!/bin/bash
# Performance benchmark: start-up against a bare Qt MDI program, memory with
# every window open, fill, dump, repaint and scroll times and the prediction
# record, on the shipped history and on a generated 5000-draw one.  Prints one
# table.
#
#   scripts/bench.sh [PAIRS]     (PAIRS paired start-up runs, default 101: the bare program's time
#                                  moves too much from run to run for fewer)
#
# Builds Release into build/ (-j1), runs everything under one xvfb-run.
# Takes a minute or two.  Nothing here is a test: speed is never asserted.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KM_BENCH_BUILD:-$root/build}

if [ "${1:-}" != "--inner" ]; then
  pairs=${1:-101}
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
  CCACHE_BASEDIR=/work cmake --build "$build" -j1 --target kazumaki kazumaki-tool bench_fill bench_bare >/dev/null
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" --inner "$pairs"
fi
pairs=$2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/ship" "$work/d5000" "$work/bare" "$work/small"
# A session's own runtime folder, as a desktop has (without it the toolkit
# warns on every start).
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime"
cp "$build/bin/kazumaki" "$build/bin/Kazumaki.mdb" "$work/ship/"
cp "$build/bin/kazumaki" "$work/d5000/"
# The same program whose main window was left at the bare program's size: with
# no window manager the bare program's "maximised" window keeps its 1024x768,
# while the program fills the screen (its pixels alone are 5 MiB at 1280x1024).
cp "$build/bin/kazumaki" "$build/bin/Kazumaki.mdb" "$work/small/"
printf '%s=0,0,1024,768\r\n%s=False\r\n' "メインウィンドウの位置" "メインウィンドウの最大化" >"$work/small/カズマキ.ini"
cp "$build/tests/bench_bare" "$work/bare/"

# A deterministic 5000-draw history: five distinct numbers and a bonus, 1..31.
awk -v n=5000 'BEGIN {
  srand(13); print "draw,date,n1,n2,n3,n4,n5,bonus"
  for (i = 1; i <= n; ++i) {
    delete used; k = 0
    while (k < 6) { x = int(rand() * 31) + 1; if (!(x in used)) { used[x] = 1; v[++k] = x } }
    for (a = 1; a <= 5; ++a) for (b = a + 1; b <= 5; ++b) if (v[b] < v[a]) { s = v[a]; v[a] = v[b]; v[b] = s }
    print i ",," v[1] "," v[2] "," v[3] "," v[4] "," v[5] "," v[6]
  }
}' >"$work/h5000.csv"
"$build/bin/kazumaki-tool" import-csv "$work/h5000.csv" "$work/d5000/Kazumaki.mdb"

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
rss() { awk '{ print $3 }' | tail -1; }

echo "# $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), Qt $(qmake6 -query QT_VERSION 2>/dev/null || echo 6)"
echo

# 1. start-up, paired: launch to the main and prediction windows painted
#    (the bare program: to its sub-window painted); both quit at once then.
"$work/bare/bench_bare" >/dev/null; (cd "$work/ship" && ./kazumaki --benchmark start >/dev/null)  # warm the caches
: >"$work/pairs"
# Times in microseconds from the shell's own clock (a `date` process for each
# reading would add its start and end to every run measured).
# The order within a pair alternates: whichever runs second starts while the
# display server is still tidying up after the first.
run_bare() { "$work/bare/bench_bare" >"$work/bare.out"; }
# Both started the same way (the program finds its folder from its own path).
run_prog() { "$work/ship/kazumaki" --benchmark start >"$work/start.out"; }
for ((i = 0; i < pairs; ++i)); do
  if ((i % 2 == 0)); then
    t0=${EPOCHREALTIME/[.,]/}; run_bare; t1=${EPOCHREALTIME/[.,]/}; run_prog; t2=${EPOCHREALTIME/[.,]/}
    tb=$((t1 - t0)); tp=$((t2 - t1))
  else
    t0=${EPOCHREALTIME/[.,]/}; run_prog; t1=${EPOCHREALTIME/[.,]/}; run_bare; t2=${EPOCHREALTIME/[.,]/}
    tp=$((t1 - t0)); tb=$((t2 - t1))
  fi
  grep -q "prediction window painted" "$work/start.out" || { echo "start-up run failed:"; cat "$work/start.out"; exit 1; }
  echo "$tb $tp" >>"$work/pairs"
done
bare=$(awk '{ print $1 / 1000 }' "$work/pairs" | median)
prog=$(awk '{ print $2 / 1000 }' "$work/pairs" | median)
ratio=$(awk '{ print $2 / $1 }' "$work/pairs" | median)
echo "| start-up ($pairs paired runs, alternating order, median) | ms |"
echo "|---|---|"
echo "| bare Qt MDI program | $bare |"
echo "| kazumaki (1353 draws) | $prog |"
printf '| ratio program/bare | %.2f |\n\n' "$ratio"
echo "kazumaki --benchmark start (last run):"
sed 's/^/    /' "$work/start.out"
echo

# 2. peak memory
(cd "$work/ship" && ./kazumaki --benchmark start >"$work/s1353.out")
(cd "$work/d5000" && ./kazumaki --benchmark start >"$work/s5000.out")
(cd "$work/small" && ./kazumaki --benchmark start >"$work/small.out")
(cd "$work/ship" && ./kazumaki --benchmark all >"$work/a1353.out")
(cd "$work/d5000" && ./kazumaki --benchmark all >"$work/a5000.out")
echo "| peak RSS (MiB) | 1353 draws | 5000 draws |"
echo "|---|---|---|"
echo "| bare program | $(rss <"$work/bare.out") | |"
echo "| start-up | $(grep 'prediction window painted' "$work/s1353.out" | rss) | $(grep 'prediction window painted' "$work/s5000.out" | rss) |"
echo "| start-up, main window 1024x768 as the bare program's | $(grep 'prediction window painted' "$work/small.out" | rss) | |"
echo "| every window open and painted | $(grep 'all windows painted' "$work/a1353.out" | rss) | $(grep 'all windows painted' "$work/a5000.out" | rss) |"
echo
echo "kazumaki --benchmark all (5000 draws):"
sed 's/^/    /' "$work/a5000.out"
echo

# 3. fills and dumps per window
# fills: the least of five means of 10 fills each, other programs on the machine being what they are
bestFills() {
  for ((k = 0; k < 5; ++k)); do "$build/tests/bench_fill" "$1" 10; done | grep ' ms per fill' |
    awk -F': ' '{ split($2, v, " "); if (!($1 in best) || v[1] < best[$1]) best[$1] = v[1]; if (!($1 in order)) { order[$1] = ++n; names[n] = $1 } }
      END { for (i = 1; i <= n; ++i) print names[i] ": " best[names[i]] " ms per fill" }'
}
bestFills "$work/ship" >"$work/f1353.out"
bestFills "$work/d5000" >"$work/f5000.out"
echo "| window | fill ms 1353 | fill ms 5000 | 5000/1353 | dump s 1353 | dump s 5000 | dump MiB 5000 |"
echo "|---|---|---|---|---|---|---|"
grep ' ms per fill' "$work/f1353.out" | while IFS= read -r line; do
  name=${line%%: *}
  a=$(echo "${line#*: }" | awk '{ print $1 }')
  b=$(grep -F "$name: " "$work/f5000.out" | head -1 | sed 's/.*: //' | awk '{ print $1 }')
  d1=$( { /usr/bin/time -f '%U %S %M' "$build/bin/kazumaki-tool" grid "$work/ship/Kazumaki.mdb" "$name" --ini /nonexistent >/dev/null; } 2>&1 | tail -1)
  d5=$( { /usr/bin/time -f '%U %S %M' "$build/bin/kazumaki-tool" grid "$work/d5000/Kazumaki.mdb" "$name" --ini /nonexistent >/dev/null; } 2>&1 | tail -1)
  awk -v n="$name" -v a="$a" -v b="$b" -v d1="$d1" -v d5="$d5" 'BEGIN {
    split(d1, x, " "); split(d5, y, " ")
    printf "| %s | %.2f | %.2f | %.1f | %.2f | %.2f | %.0f |\n", n, a, b, b / a, x[1] + x[2], y[1] + y[2], y[3] / 1024 }'
done
echo
echo "(dump: CPU seconds, user + system, of kazumaki-tool grid, the whole process)"

# 4. the prediction record (予想の成績): the whole record in the program (its fill, as in the table
#    above) and kazumaki-tool backtest --draws as a whole process (wall time, median of 11 runs)
recordFill() { grep -F '予想の成績: ' "$1" | sed 's/.*: //' | awk '{ print $1 }'; }
backtestWall() {
  for ((k = 0; k < 11; ++k)); do
    t0=${EPOCHREALTIME/[.,]/}
    "$build/bin/kazumaki-tool" backtest "$1" --ini /nonexistent --draws >/dev/null
    t1=${EPOCHREALTIME/[.,]/}
    echo $((t1 - t0))
  done | awk '{ print $1 / 1000 }' | median
}
echo
echo "| prediction record (予想の成績) | 1353 draws | 5000 draws |"
echo "|---|---|---|"
echo "| whole record in the program (fill), ms | $(recordFill "$work/f1353.out") | $(recordFill "$work/f5000.out") |"
echo "| kazumaki-tool backtest --draws, wall ms | $(backtestWall "$work/ship/Kazumaki.mdb") | $(backtestWall "$work/d5000/Kazumaki.mdb") |"
