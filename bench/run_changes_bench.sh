#!/usr/bin/env bash
# Times quarnel-inspect --changes on the generated benchmark world (40,000 objects, 8192 cells a
# side) against an edit of it (100 objects moved, 20 added, 20 removed), beside a quarnel run of
# the world, and measures the page of the changes.
# Usage: bench/run_changes_bench.sh [build dir] [runs]
# Prints the median wall time and peak resident memory of each, and their ratio.
set -euo pipefail
build=${1:-build}
runs=${2:-5}
tool=$(realpath "$build/quarnel")
inspect=$(realpath "$build/quarnel-inspect")
maker=$(realpath "$build/bench/make_bench_world")
root=${TMPDIR:-/tmp}/quarnel-bench-world
world=$root/8192
edit=$root/8192-edit

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

[ -f "$world/StaticObjects.con" ] || "$maker" "$world" 8192 1
[ -f "$edit/StaticObjects.con" ] || "$maker" --edit "$world" "$edit"
mkdir -p "$world/out"
changes=(--changes "$world/StaticObjects.con" "$edit/StaticObjects.con" --meshes "$world/StandardMesh"
  --size 8192)
: > "$root/times-run"
: > "$root/times-changes"
for _ in $(seq "$runs"); do # alternately, so that both see the same load
  (cd "$world/out" && /usr/bin/time -f '%e %M' -a -o "$root/times-run" \
    "$tool" ../StaticObjects.con ../StandardMesh 8192 > /dev/null)
  /usr/bin/time -f '%e %M' -a -o "$root/times-changes" "$inspect" "${changes[@]}" > "$root/changes.txt"
done
"$inspect" "${changes[@]}" --view "$root/changes.html" > /dev/null
run=$(cut -d' ' -f1 "$root/times-run" | median)
took=$(cut -d' ' -f1 "$root/times-changes" | median)
peak=$(cut -d' ' -f2 "$root/times-changes" | median)
printf 'quarnel run:       median wall %6.3f s\n' "$run"
printf -- '--changes:         median wall %6.3f s (%.2f times the run), median peak memory %6.1f MiB\n' \
  "$took" "$(awk -v a="$took" -v b="$run" 'BEGIN { print a / b }')" "$(awk -v k="$peak" 'BEGIN { print k / 1024 }')"
printf -- '--changes --view:  page of %.1f MB\n' "$(awk -v b="$(stat -c %s "$root/changes.html")" 'BEGIN { print b / 1e6 }')"
grep -E '^Changes:|accounted' "$root/changes.txt"
