#!/usr/bin/env bash
# Runs every fuzz target of a sanitizer build for a fixed number of executions over its
# seed corpus (fuzz/corpus/<target>/, plus files the tests wrote to <build>/fuzz-seeds/<target>/).
# Each target stops after RUNS executions or LB_FUZZ_SECONDS (default 60) seconds, whichever
# comes first, so a target whose executions are slow (the launcher's builds its whole main
# window with its pictures each time) cannot stretch the test run.
# Usage: scripts/fuzz.sh BUILD_DIR RUNS [TARGET]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-asan}
runs=${2:-20000}
only=${3:-}
seconds=${LB_FUZZ_SECONDS:-60}
status=0
for bin in "$build"/bin/fuzz_*; do
  [ -x "$bin" ] || continue
  name=$(basename "$bin")
  [ -z "$only" ] || [ "$only" = "$name" ] || continue
  work=$(mktemp -d)
  dirs=("$work")
  [ -d "fuzz/corpus/$name" ] && dirs+=("fuzz/corpus/$name")
  [ -d "$build/fuzz-seeds/$name" ] && dirs+=("$build/fuzz-seeds/$name")
  echo "-- $name: $runs runs"
  if ! "$bin" -runs="$runs" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 -malloc_limit_mb=2048 -timeout=10 \
        -print_final_stats=0 "${dirs[@]}" >"$work/log" 2>&1; then
    tail -50 "$work/log"
    status=1
  fi
  rm -rf "$work"
done
exit $status
