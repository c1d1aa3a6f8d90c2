#!/usr/bin/env bash
# Builds the fuzz targets (clang, AddressSanitizer and UndefinedBehaviorSanitizer), writes
# their seed corpora and runs each target for a set time: fuzz/run.sh [seconds-per-target].
# Prints executions and coverage per target; exits with 1 when any target found a crash,
# a leak, a hang or an input too slow or too large for its limits.
#
# QUARNEL_FUZZ_BUILD (default build-fuzz) is the build folder and QUARNEL_FUZZ_WORK (default
# <build>/fuzz-work) keeps the corpora between runs and any failing inputs (artifacts/).
set -euo pipefail

seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUARNEL_FUZZ_BUILD:-$root/build-fuzz}
work=${QUARNEL_FUZZ_WORK:-$build/fuzz-work}
targets=(fuzz_object_file fuzz_mesh fuzz_run)
declare -A dict=([fuzz_object_file]=con.dict [fuzz_mesh]=mesh.dict [fuzz_run]=run.dict)

if [[ ! -f $build/CMakeCache.txt ]]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DQUARNEL_FUZZ=ON -DQUARNEL_TESTS=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" -j2 --target "${targets[@]}" make_fuzz_seeds

rm -rf "$work/seeds"
"$build/fuzz/make_fuzz_seeds" "$work/seeds"

# The targets write their temporary files in memory where they can.
if [[ -z ${TMPDIR:-} && -d /dev/shm && -w /dev/shm ]]; then
  export TMPDIR=/dev/shm
fi

failed=0
summary=()
for target in "${targets[@]}"; do
  corpus=$work/corpus/$target
  artifacts=$work/artifacts/$target/
  log=$work/$target.log
  mkdir -p "$corpus" "$artifacts"
  echo "== $target: ${seconds}s"
  status=0
  "$build/fuzz/$target" "$corpus" "$work/seeds/$target" -max_total_time="$seconds" \
    -rss_limit_mb=2048 -timeout=10 -max_len=8192 -dict="$root/fuzz/${dict[$target]}" \
    -artifact_prefix="$artifacts" -print_final_stats=1 >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  line=$(grep -E '^#[0-9]+' "$log" | grep -o 'cov: [0-9]* ft: [0-9]* corp: [0-9]*' | tail -n 1)
  result="$target: ${runs:-?} executions, ${line:-no coverage line}, status $status"
  if [[ $status -ne 0 ]]; then
    failed=1
    tail -n 40 "$log"
    result+=" FAILED (log $log, inputs in $artifacts)"
  fi
  echo "$result"
  summary+=("$result")
done

echo "== summary"
printf '%s\n' "${summary[@]}"
exit $failed
