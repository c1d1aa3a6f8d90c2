#!/usr/bin/env bash
# Times quarnel-inspect --regions on the three maps of the generated benchmark world (40,000
# objects) at 8192 and, for the same objects, 65536 cells a side, and --path from corner to
# corner of the 8192 infantry map.
# Usage: bench/run_regions_bench.sh [build dir] [runs]
# Prints the median wall time, processor time (user and system) and peak resident memory of each
# command; on a shared machine the processor time is the steadier figure.
set -euo pipefail
build=${1:-build}
runs=${2:-5}
tool=$(realpath "$build/quarnel")
inspect=$(realpath "$build/quarnel-inspect")
maker=$(realpath "$build/bench/make_bench_world")
root=${TMPDIR:-/tmp}/quarnel-bench-world
world=$root/8192
maps=(Infantry1Level0Map.raw Tank0Level0Map.raw Car4Level0Map.raw)

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

[ -f "$world/StaticObjects.con" ] || "$maker" "$world" 8192 1
for size in 8192 65536; do
  dir=$world/regions-$size
  if [ ! -f "$dir/Car4Level0Map.raw" ]; then
    mkdir -p "$dir"
    (cd "$dir" && "$tool" ../StaticObjects.con ../StandardMesh "$size" > /dev/null)
  fi
done

# measure NAME DIR ARGS...: runs quarnel-inspect ARGS in DIR $runs times.
measure() {
  local name=$1 dir=$2 times
  shift 2
  times=$(mktemp)
  for _ in $(seq "$runs"); do
    (cd "$dir" && /usr/bin/time -f '%e %M %U %S' -a -o "$times" "$inspect" "$@" > /dev/null) || true
  done
  printf '%-36s median wall %6.3f s, processor %6.3f s, peak memory %6.1f MiB (%s runs)\n' \
    "$name" "$(cut -d' ' -f1 "$times" | median)" \
    "$(awk '{ print $3 + $4 }' "$times" | median)" \
    "$(cut -d' ' -f2 "$times" | median | awk '{ print $1 / 1024 }')" "$runs"
  rm -f "$times"
}

for size in 8192 65536; do
  measure "--regions, world $size" "$world/regions-$size" --regions "${maps[@]}"
  measure "--regions --diagonal, world $size" "$world/regions-$size" --regions --diagonal \
    "${maps[@]}"
done
# Both corners are free in the infantry map of this world.
measure "--path corner to corner" "$world/regions-8192" --path 0,0 8191,8191 \
  Infantry1Level0Map.raw
measure "--path --diagonal corner to corner" "$world/regions-8192" --path 0,0 8191,8191 \
  Infantry1Level0Map.raw --diagonal
