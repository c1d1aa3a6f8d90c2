#!/usr/bin/env bash
# Times whole runs of the built tool on the generated benchmark world.
# Usage: bench/run_world_bench.sh [build dir] [runs] [sizes...]
# Prints, per world size, the median wall time and median peak resident memory of the runs,
# and checks that the maps are byte for byte those of the step-by-step passes.
set -euo pipefail
build=${1:-build}
runs=${2:-5}
shift $(( $# > 2 ? 2 : $# )) || true
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(2048 4096 8192)

tool=$(realpath "$build/quarnel")
maker=$(realpath "$build/bench/make_bench_world")
stepper=$(realpath "$build/bench/step_by_step_maps")
root=${TMPDIR:-/tmp}/quarnel-bench-world

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

for size in "${sizes[@]}"; do
  world=$root/$size
  if [ ! -f "$world/StaticObjects.con" ]; then
    "$maker" "$world" "$size" 1
  fi
  mkdir -p "$world/out"
  : > "$world/times"
  for _ in $(seq "$runs"); do
    (cd "$world/out" && /usr/bin/time -f '%e %M' -a -o "$world/times" \
      "$tool" ../StaticObjects.con ../StandardMesh "$size" > /dev/null)
  done
  if [ ! -f "$world/reference/Car4Level0Map.raw" ]; then
    mkdir -p "$world/reference"
    "$stepper" "$world/StaticObjects.con" "$world/StandardMesh" "$size" "$world/reference"
  fi
  for map in Infantry1Level0Map.raw Tank0Level0Map.raw Car4Level0Map.raw; do
    cmp "$world/out/$map" "$world/reference/$map" || { echo "world $size: $map differs"; exit 1; }
  done
  wall=$(cut -d' ' -f1 "$world/times" | median)
  peak=$(cut -d' ' -f2 "$world/times" | median)
  printf 'world %5s: median wall %6.3f s, median peak memory %6.1f MiB (%s runs)\n' \
    "$size" "$wall" "$(awk -v k="$peak" 'BEGIN { print k / 1024 }')" "$runs"
done
