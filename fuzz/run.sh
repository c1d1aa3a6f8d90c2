#!/usr/bin/env bash
# Builds the fuzz targets (clang, AddressSanitizer and UndefinedBehaviorSanitizer), seeds
# them from the sample world and runs each target for a set time:
#
#   fuzz/run.sh [seconds-per-target] [target...]
#
# The targets are fuzz_object_file, fuzz_mesh and fuzz_run (all three by default). Prints
# executions and coverage per target; exits with 1 when any target found a crash, a leak, a
# hang or an input too slow or too large for its limits.
#
# QUARNEL_FUZZ_BUILD (default build-fuzz) is the build folder; QUARNEL_FUZZ_WORK (default
# <build>/fuzz-work) keeps the corpora between runs, the logs and any failing inputs
# (artifacts/<target>/); QUARNEL_FUZZ_JOBS (default 1) is how many targets run at once.
set -euo pipefail

seconds=${1:-60}
shift $(($# > 0 ? 1 : 0))
targets=("$@")
[[ ${#targets[@]} -gt 0 ]] || targets=(fuzz_object_file fuzz_mesh fuzz_run)
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUARNEL_FUZZ_BUILD:-$root/build-fuzz}
work=${QUARNEL_FUZZ_WORK:-$build/fuzz-work}
jobs=${QUARNEL_FUZZ_JOBS:-1}
declare -A dict=([fuzz_object_file]=con.dict [fuzz_mesh]=mesh.dict [fuzz_run]=run.dict)
for target in "${targets[@]}"; do
  [[ -n ${dict[$target]:-} ]] || { echo "unknown target: $target" >&2; exit 2; }
done

if [[ ! -f $build/CMakeCache.txt ]]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DQUARNEL_FUZZ=ON -DQUARNEL_TESTS=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" -j2 --target "${targets[@]}"

# Seeds: the sample world's object file and meshes, and whole-run inputs made of them.
rm -rf "$work/seeds"
mkdir -p "$work/seeds/fuzz_object_file" "$work/seeds/fuzz_mesh" "$work/seeds/fuzz_run"
cp "$root/sample/StaticObjects.con" "$work/seeds/fuzz_object_file/"
cp "$root/sample/StandardMesh/"*.sm "$work/seeds/fuzz_mesh/"
separator=$'\n~~quarnel~~\n'
for mesh in "$root/sample/StandardMesh/"*.sm; do
  { printf 'object.create a\nobject.absoluteposition 30.5/0/20.25\nobject.rotation 30/0/0\n'
    printf 'object.create b\nobject.create eu_pine1_m1\nobject.absoluteposition 5/0/60\n'
    printf '%s' "$separator"; cat "$mesh"; printf '%s' "$separator"; cat "$mesh"
  } > "$work/seeds/fuzz_run/$(basename "$mesh").run"
done

# The targets write their temporary files in memory where they can.
if [[ -z ${TMPDIR:-} && -d /dev/shm && -w /dev/shm ]]; then
  export TMPDIR=/dev/shm
fi

# Runs one target and writes its one-line result to <work>/<target>.result.
run_target() {
  local target=$1 corpus=$work/corpus/$1 artifacts=$work/artifacts/$1/ log=$work/$1.log
  mkdir -p "$corpus" "$artifacts"
  local status=0
  "$build/fuzz/$target" "$corpus" "$work/seeds/$target" -max_total_time="$seconds" \
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
