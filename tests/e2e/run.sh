#!/usr/bin/env bash
# Runs every end-to-end test (tests/e2e/test_*.sh) against the programs of a build folder.
# Each test gets its own private Xvfb (no window manager unless the test starts one) and
# the variables BUILD (absolute build folder), DISPLAY, E2E_TMP (a scratch folder) and
# E2E_DIR (this folder). Prints "N passed, N failed" at the end; exits non-zero on failure.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
source "$here/lib.sh"
e2e_run_all "$here" "$build" 120 e2e
