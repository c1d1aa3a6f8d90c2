#!/usr/bin/env bash
# Times whole runs of the built tool on the generated benchmark world.
# Usage: bench/run_world_bench.sh [build dir] [runs] [sizes...]
# Prints, per world size, the median wall time and median peak resident memory of the runs with
# all of the machine's threads and with QUARNEL_THREADS=1, taken in turns, and the instructions
# of a run on one thread (valgrind --tool=callgrind; the same from run to run, also on a busy
# machine, where wall times are not), and checks that the maps are byte for byte those of the
# step-by-step passes. The load of the machine is printed before and after the runs.
# With QUARNEL_BENCH_BASELINE set to the build folder of another version of the tool, that
# version's runs are taken in turn with these, and its figures and the ratios to it are printed.
set -euo pipefail
build=${1:-build}
runs=${2:-5}
shift $(( $# > 2 ? 2 : $# )) || true
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(2048 4096 8192)

tool=$(realpath "$build/quarnel")
maker=$(realpath "$build/bench/make_bench_world")
stepper=$(realpath "$build/bench/step_by_step_maps")
baseline=${QUARNEL_BENCH_BASELINE:+$(realpath "$QUARNEL_BENCH_BASELINE/quarnel")}
root=${TMPDIR:-/tmp}/quarnel-bench-world
threads=$(nproc)

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
load() { cut -d' ' -f1-3 /proc/loadavg; }

# Runs the tool ($2) with QUARNEL_THREADS=$3 (empty: not set) in the world's out folder, adding
# its wall time and peak memory to $world/times-$1.
timed() {
  (cd "$world/out" && env ${3:+QUARNEL_THREADS=$3} /usr/bin/time -f '%e %M' -a -o "$world/times-$1" \
    "$2" ../StaticObjects.con ../StandardMesh "$size" > /dev/null)
}

# The instructions of a run of the tool ($1) on one thread, or "-" without valgrind.
instructions() {
  command -v valgrind > /dev/null || { echo -; return; }
  (cd "$world/out" && QUARNEL_THREADS=1 valgrind --tool=callgrind --callgrind-out-file=/dev/null \
    "$1" ../StaticObjects.con ../StandardMesh "$size" 2>&1 > /dev/null) |
    sed -n 's/.*Collected : \([0-9]*\).*/\1/p'
}

# "median wall W s, median peak memory M MiB" of $world/times-$1.
figures() {
  local wall peak
  wall=$(cut -d' ' -f1 "$world/times-$1" | median)
  peak=$(cut -d' ' -f2 "$world/times-$1" | median)
  printf 'median wall %6.3f s, median peak memory %6.1f MiB' "$wall" \
    "$(awk -v k="$peak" 'BEGIN { print k / 1024 }')"
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

for size in "${sizes[@]}"; do
  world=$root/$size
  if [ ! -f "$world/StaticObjects.con" ]; then
    "$maker" "$world" "$size" 1
  fi
  mkdir -p "$world/out"
  rm -f "$world"/times-*
  before=$(load)
  for _ in $(seq "$runs"); do
    [ -z "$baseline" ] || timed baseline "$baseline" ""
    timed all "$tool" ""
    timed one "$tool" 1
  done
  after=$(load)
  if [ ! -f "$world/reference/Car4Level0Map.raw" ]; then
    mkdir -p "$world/reference"
    "$stepper" "$world/StaticObjects.con" "$world/StandardMesh" "$size" "$world/reference"
  fi
  for map in Infantry1Level0Map.raw Tank0Level0Map.raw Car4Level0Map.raw; do
    cmp "$world/out/$map" "$world/reference/$map" || { echo "world $size: $map differs"; exit 1; }
  done
  counted=$(instructions "$tool")
  printf 'world %5s, runs each: %s, load %s before and %s after:\n' "$size" "$runs" "$before" "$after"
  printf '  all %2s threads: %s\n' "$threads" "$(figures all)"
  printf '  one thread:     %s, %s instructions\n' "$(figures one)" "$counted"
  if [ -n "$baseline" ]; then
    base=$(instructions "$baseline")
    printf '  baseline:       %s, %s instructions\n' "$(figures baseline)" "$base"
    wall() { cut -d' ' -f1 "$world/times-$1" | median; }
    peak() { cut -d' ' -f2 "$world/times-$1" | median; }
    printf '  to the baseline: wall %s with all threads, %s with one; instructions %s; peak memory %s\n' \
      "$(ratio "$(wall all)" "$(wall baseline)")" "$(ratio "$(wall one)" "$(wall baseline)")" \
      "$( [ "$counted" = - ] && echo - || ratio "$counted" "$base")" \
      "$(ratio "$(peak all)" "$(peak baseline)")"
  fi
done
