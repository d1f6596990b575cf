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

passed=0
failed=0
for t in "$here"/test_*.sh; do
  [ -e "$t" ] || continue
  name=$(basename "$t" .sh)
  tmp=$(mktemp -d)
  if e2e_start_xvfb "$tmp"; then
    lb_wineprefix "$build"
    # Wine's own processes start afresh on this display.
    wineserver -k 2>/dev/null
    wineserver -w 2>/dev/null
    if (export BUILD="$build" E2E_TMP="$tmp" E2E_DIR="$here"; timeout 180 bash "$t") >"$tmp/log" 2>&1; then
      echo "PASS $name (windows)"
      passed=$((passed + 1))
    else
      echo "FAIL $name (windows)"
      sed 's/^/    /' "$tmp/log" | tail -40
      failed=$((failed + 1))
    fi
    # Wine's own processes of this prefix go with the display they were started on.
    wineserver -k 2>/dev/null
    wineserver -w 2>/dev/null
    e2e_stop_xvfb
  else
    echo "FAIL $name (Xvfb did not start)"
    failed=$((failed + 1))
  fi
  rm -rf "$tmp"
done
echo "e2e-windows: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
