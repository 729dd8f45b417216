#!/usr/bin/env bash
# Runs every fuzz target for a long time, one after the other, and prints
# for each the executions and the edge coverage it reached:
#   bash tools/fuzz.sh [seconds per target, default 600] [targets, default "settings scenario"]
# Each target starts from its seed corpus (tests/fuzz/corpus/<target>) and
# the inputs earlier long runs found (build/fuzz/fuzz-long/<target>/corpus).
# A crash or a broken check stops that target; the input that shows it is
# left in build/fuzz/fuzz-long/<target>/artifacts/ and the script fails.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-600}
targets=${2:-settings scenario}
bash tools/install-deps.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

status=0
summary=()
for target in $targets; do
  work=build/fuzz/fuzz-long/$target
  mkdir -p "$work/corpus" "$work/artifacts"
  log=$work/last-run.log
  echo "fuzz_$target: $seconds s"
  if build/fuzz/fuzz_$target -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$work/artifacts/" \
      "$work/corpus" "tests/fuzz/corpus/$target" >"$log" 2>&1; then
    result=ok
  else
    result="FAILED (see $log)"
    status=1
  fi
  # The last status line: "#<executions> DONE cov: <edges> ft: <features> corp: <units>/<size> ..."
  last=$(grep -E '^#[0-9]+' "$log" | tail -n 1 || true)
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  edges=$(sed -En 's/.* cov: ([0-9]+).*/\1/p' <<<"$last")
  features=$(sed -En 's/.* ft: ([0-9]+).*/\1/p' <<<"$last")
  corpus=$(sed -En 's/.* corp: ([0-9]+).*/\1/p' <<<"$last")
  summary+=("fuzz_$target: ${runs:-?} executions, ${edges:-?} edges, ${features:-?} features, corpus ${corpus:-?} inputs: $result")
done
printf '%s\n' "${summary[@]}"
exit $status
