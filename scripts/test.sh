#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the release build's
# tests, the end-to-end tests in Xvfb, then the ASan+UBSan build of the tests and a short
# run of every fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
lb_install_deps

jobs=$(nproc)
echo "== release build"
cmake --preset release >/dev/null
cmake --build --preset release -j "$jobs"
echo "== release tests"
ctest --preset release -j "$jobs" --timeout 300

if [ -x tests/e2e/run.sh ]; then
  echo "== end-to-end tests"
  tests/e2e/run.sh build
fi

if [ "${LB_SKIP_ASAN:-0}" != "1" ]; then
  echo "== ASan+UBSan build"
  cmake --preset asan >/dev/null
  cmake --build --preset asan -j "$jobs"
  echo "== ASan+UBSan tests"
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --preset asan -j "$jobs" --timeout 600
  echo "== fuzz smoke runs"
  scripts/fuzz.sh build-asan "${LB_FUZZ_RUNS:-20000}"
fi
echo "All tests passed."
