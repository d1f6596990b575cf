#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the release build's
# tests, the end-to-end tests in Xvfb, the Windows build's tests under Wine, then the
# ASan+UBSan build of the tests and a short run of every fuzz target, and last builds the
# packages into dist/ (the end-to-end tests have checked them). LB_SKIP_WINDOWS=1 leaves
# the Windows step and the installer out.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
lb_install_deps

jobs=$(nproc)
# ccache keeps the three builds of the same sources short when it is there.
launcher=()
if command -v ccache >/dev/null 2>&1; then
  export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}"
  # Builds with debug information would otherwise hash the checkout's folder and miss
  # the cache in every fresh clone.
  export CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-true}"
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

echo "== release build"
cmake --preset release "${launcher[@]}" >/dev/null
cmake --build --preset release -j "$jobs"
echo "== release tests"
ctest --preset release -j "$jobs" --timeout 300

if [ -x tests/e2e/run.sh ]; then
  echo "== end-to-end tests"
  tests/e2e/run.sh build
fi

if [ "${LB_SKIP_WINDOWS:-0}" != "1" ]; then
  started=$(date +%s)
  echo "== Windows build"
  cmake --preset windows "${launcher[@]}" >/dev/null
  cmake --build --preset windows -j "$jobs"
  echo "== Windows tests under Wine"
  ctest --preset windows -j "$jobs" --timeout 300
  if [ -x tests/e2e-windows/run.sh ]; then
    echo "== Windows end-to-end tests"
    tests/e2e-windows/run.sh build-windows
  fi
  echo "Windows step: $(( $(date +%s) - started )) s"
fi

if [ "${LB_SKIP_ASAN:-0}" != "1" ]; then
  echo "== ASan+UBSan build"
  cmake --preset asan "${launcher[@]}" >/dev/null
  cmake --build --preset asan -j "$jobs"
  echo "== ASan+UBSan tests"
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --preset asan -j "$jobs" --timeout 600
  echo "== fuzz smoke runs"
  scripts/fuzz.sh build-asan "${LB_FUZZ_RUNS:-20000}"
fi
echo "== packages (dist/)"
scripts/package.sh
echo "All tests passed."
