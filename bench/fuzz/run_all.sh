#!/usr/bin/env bash
# Runs every fuzz target (or the named ones) for RUNS executions from its seed corpus, JOBS at a
# time, and prints a table: target, executions, findings (crash, leak, timeout and out-of-memory
# inputs saved), executions per second. Logs and findings stay in the fuzz build folder.
# Usage: bench/fuzz/run_all.sh [RUNS [TARGET...]]   (RUNS defaults to 1000000)
# Environment: JOBS (targets at once, 1), MAX_SECONDS (stop a target after this long even short
# of RUNS), NO_BUILD=1 (use the fuzz build as it is).
set -uo pipefail
run="$(cd "$(dirname "$0")/../.." && pwd)/tests/fuzz/run_fuzz.sh"
runs=${1:-1000000}
shift || true
targets=${*:-asf amc bin mpos mpos2 gra scene cvar bsp tga bmp jpeg l3ds}
src=$(cd "$(dirname "$0")/../.." && pwd)
build=$(realpath -m "${KINETROPE_FUZZ_BUILD:-$src/build/fuzz-clang}")
[ -n "${NO_BUILD:-}" ] || bash "$run" build || exit $?
logs="$build/bench-logs"
mkdir -p "$logs"

one() {
  rm -rf "$build/findings/$1"
  bash "$run" run "$1" -runs="$runs" -timeout=10 ${MAX_SECONDS:+-max_total_time=$MAX_SECONDS} > "$logs/$1.log" 2>&1
}

for t in $targets; do
  one "$t" &
  while [ "$(jobs -rp | wc -l)" -ge "${JOBS:-1}" ]; do wait -n; done
done
wait

printf '%-8s %12s %9s %8s\n' target executions findings exec/s
for t in $targets; do
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$logs/$t.log" | tail -1)
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$logs/$t.log" | tail -1)
  findings=$(ls "$build/findings/$t" 2> /dev/null | grep -cE '^(crash|leak|timeout|oom)-')
  printf '%-8s %12s %9s %8s\n' "$t" "${executions:-?}" "$findings" "${speed:-?}"
done
