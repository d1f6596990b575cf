#!/usr/bin/env bash
# Runs every end-to-end test of the Windows build (tests/e2e-windows/test_*.sh) under Wine
# against a build folder of the "windows" preset. Each test gets its own private Xvfb with
# no window manager and the variables BUILD (absolute build folder), DISPLAY, E2E_TMP (a
# scratch folder), E2E_DIR (this folder) and WINEPREFIX (the build's prefix, made once and
# reused). Prints "N passed, N failed" at the end; exits non-zero on failure.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build-windows}" && pwd)
source "$here/../e2e/lib.sh"
source "$here/../../scripts/wineprefix.sh"

# Wine's own processes of the prefix start afresh on each test's display and go with it.
fresh_wine() {
  lb_wineprefix "$build"
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
}
e2e_run_all "$here" "$build" 180 e2e-windows fresh_wine
