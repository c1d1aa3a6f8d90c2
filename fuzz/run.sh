#!/usr/bin/env bash
# Builds the fuzz targets (clang, AddressSanitizer and UndefinedBehaviorSanitizer), seeds
# them from the kept corpus and the sample world and runs each target for a set time:
#
#   fuzz/run.sh [--keep] [seconds-per-target] [target...]
#
# The targets are fuzz_object_file, fuzz_mesh, fuzz_run, fuzz_map_file and fuzz_why_view (all
# five by default). Each starts from its kept corpus, fuzz/corpus/<target>/, and from seeds
# made of the sample world. Prints executions and coverage per target; exits with 1 when any
# target found a crash, a leak, a hang or an input too slow or too large for its limits.
# With --keep, the kept corpus of each target run is then replaced by a small set of its inputs
# and of those the run found that covers as much (libFuzzer's -merge=1), ready to be committed.
#
# QUARNEL_FUZZ_BUILD (default build-fuzz) is the build folder; QUARNEL_FUZZ_WORK (default
# <build>/fuzz-work) keeps the corpora between runs, the logs and any failing inputs
# (artifacts/<target>/); QUARNEL_FUZZ_JOBS (default 1) is how many targets run at once.
set -euo pipefail

keep=0
if [[ ${1:-} == --keep ]]; then
  keep=1
  shift
fi
seconds=${1:-60}
shift $(($# > 0 ? 1 : 0))
targets=("$@")
[[ ${#targets[@]} -gt 0 ]] || targets=(fuzz_object_file fuzz_mesh fuzz_run fuzz_map_file fuzz_why_view)
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUARNEL_FUZZ_BUILD:-$root/build-fuzz}
work=${QUARNEL_FUZZ_WORK:-$build/fuzz-work}
jobs=${QUARNEL_FUZZ_JOBS:-1}
declare -A dict=([fuzz_object_file]=con.dict [fuzz_mesh]=mesh.dict [fuzz_run]=run.dict
  [fuzz_map_file]=map.dict [fuzz_why_view]=run.dict)
declare -A shares=([fuzz_why_view]=fuzz_run)
for target in "${targets[@]}"; do
  [[ -n ${dict[$target]:-} ]] || { echo "unknown target: $target" >&2; exit 2; }
done

if [[ ! -f $build/CMakeCache.txt ]]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DQUARNEL_FUZZ=ON -DQUARNEL_TESTS=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" -j2 --target "${targets[@]}"

# Seeds: the sample world's object file and meshes, whole-run inputs made of them (also for
# --why and the page's data), and small map files.
rm -rf "$work/seeds"
for target in fuzz_object_file fuzz_mesh fuzz_run fuzz_map_file fuzz_why_view; do
  mkdir -p "$work/seeds/$target" "$root/fuzz/corpus/$target"
done
cp "$root/sample/StaticObjects.con" "$work/seeds/fuzz_object_file/"
cp "$root/sample/StandardMesh/"*.sm "$work/seeds/fuzz_mesh/"
separator=$'\n~~quarnel~~\n'
for mesh in "$root/sample/StandardMesh/"*.sm; do
  { printf 'object.create a\nobject.absoluteposition 30.5/0/20.25\nobject.rotation 30/0/0\n'
    printf 'object.create b\nobject.create eu_pine1_m1\nobject.absoluteposition 5/0/60\n'
    printf '%s' "$separator"; cat "$mesh"; printf '%s' "$separator"; cat "$mesh"
  } > "$work/seeds/fuzz_run/$(basename "$mesh").run"
done
cp "$work/seeds/fuzz_run/"* "$work/seeds/fuzz_why_view/"
# A little-endian 32-bit integer; a map file header for a level count; 512 bytes of a segment.
int32() { printf "$(printf '\\x%02x' $(($1 & 255)) $(($1 >> 8 & 255)) $(($1 >> 16 & 255)) $(($1 >> 24 & 255)))"; }
header() { for field in "$1" "$1" 6 0 0 2 0 -1; do int32 "$field"; done; }
cells() { for ((k = 0; k < 64; ++k)); do printf '\x0f\x00\xf0\x01\x00\x80\xff\x00'; done; }
maps=$work/seeds/fuzz_map_file
{ header 0; int32 0; } > "$maps/free64.raw"
{ header 0; int32 1; } > "$maps/blocked64.raw"
{ header 0; int32 -1; cells; } > "$maps/mixed64.raw"
{ header 1; int32 0; int32 1; int32 -1; cells; int32 0; } > "$maps/mixed128.raw"
{ cat "$maps/mixed64.raw"; printf '%s' "$separator"; cat "$maps/mixed128.raw"
  printf '%s\x03\x00\x01\x00\x02\x00\x21\x00\x3f\x00\x05\x02\x00\x00\x00\x10' "$separator"
} > "$maps/pair.raw"

# The targets write their temporary files in memory where they can.
if [[ -z ${TMPDIR:-} && -d /dev/shm && -w /dev/shm ]]; then
  export TMPDIR=/dev/shm
fi

# Replaces the kept corpus of a target by the fewest inputs, kept or found, that reach every
# edge they reach together (-use_counters=0: how often an edge runs does not count, which keeps
# the corpus a few dozen files a target), each named by the SHA-1 of its bytes.
# A target that reads the inputs of another (shares) starts from that one's kept corpus too, and
# keeps only the inputs that reach edges beyond it.
keep_corpus() {
  local target=$1 kept=$root/fuzz/corpus/$1 merged=$work/merged/$1 base=${shares[$1]:-}
  rm -rf "$merged"
  mkdir -p "$merged"
  [[ -z $base ]] || find "$root/fuzz/corpus/$base" -type f -exec cp -t "$merged" {} +
  "$build/fuzz/$target" -merge=1 -use_counters=0 "$merged" "$kept" "$work/corpus/$target" \
    "$work/seeds/$target" -rss_limit_mb=2048 -timeout=10 -max_len=8192 \
    >"$work/$target.merge.log" 2>&1 || return 1
  [[ -z $base ]] || find "$root/fuzz/corpus/$base" -type f -printf "$merged/%f\\0" | xargs -0 rm -f
  find "$kept" -type f -delete
  find "$merged" -type f -exec mv -t "$kept" {} +
}

# Runs one target and writes its one-line result to <work>/<target>.result.
run_target() {
  local target=$1 corpus=$work/corpus/$1 artifacts=$work/artifacts/$1/ log=$work/$1.log
  mkdir -p "$corpus" "$artifacts"
  local status=0
  local shared=()
  [[ -z ${shares[$target]:-} ]] || shared=("$root/fuzz/corpus/${shares[$target]}")
  "$build/fuzz/$target" "$corpus" "$root/fuzz/corpus/$target" "${shared[@]}" \
    "$work/seeds/$target" -max_total_time="$seconds" \
    -rss_limit_mb=2048 -timeout=10 -max_len=8192 -dict="$root/fuzz/${dict[$target]}" \
    -artifact_prefix="$artifacts" -print_final_stats=1 >"$log" 2>&1 || status=$?
  local runs line
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1) || true
  line=$(grep -E '^#[0-9]+' "$log" | grep -o 'cov: [0-9]* ft: [0-9]* corp: [0-9]*' |
    tail -n 1) || true
  local result="$target: ${runs:-?} executions, ${line:-no coverage line}, status $status"
  if [[ $status -ne 0 ]]; then
    result+=" FAILED (log $log, inputs in $artifacts)"
  fi
  if [[ $keep -eq 1 ]]; then
    keep_corpus "$target" || result+=" (corpus not kept: see $work/$1.merge.log)"
  fi
  echo "$result" >"$work/$target.result"
  echo "$result"
  return "$status"
}

echo "== ${#targets[@]} target(s), ${seconds}s each, $jobs at a time"
failed=0
running=0
for target in "${targets[@]}"; do
  if [[ $running -ge $jobs ]]; then
    wait -n || failed=1
    running=$((running - 1))
  fi
  run_target "$target" &
  running=$((running + 1))
done
while [[ $running -gt 0 ]]; do
  wait -n || failed=1
  running=$((running - 1))
done

echo "== summary"
for target in "${targets[@]}"; do
  cat "$work/$target.result"
  if [[ $failed -ne 0 ]] && grep -q FAILED "$work/$target.result"; then
    tail -n 30 "$work/$target.log"
  fi
done
exit $failed
