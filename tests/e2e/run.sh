#!/usr/bin/env bash
# Runs every end-to-end test (tests/e2e/test_*.sh) against the programs of a build folder.
# Each test gets its own private Xvfb (no window manager unless the test starts one) and
# the variables BUILD (absolute build folder), DISPLAY, E2E_TMP (a scratch folder) and
# E2E_DIR (this folder). Prints "N passed, N failed" at the end; exits non-zero on failure.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
source "$here/lib.sh"

passed=0
failed=0
for t in "$here"/test_*.sh; do
  [ -e "$t" ] || continue
  name=$(basename "$t" .sh)
  tmp=$(mktemp -d)
  if e2e_start_xvfb "$tmp"; then
    if (export BUILD="$build" E2E_TMP="$tmp" E2E_DIR="$here"; timeout 120 bash "$t") >"$tmp/log" 2>&1; then
      echo "PASS $name"
      passed=$((passed + 1))
    else
      echo "FAIL $name"
      sed 's/^/    /' "$tmp/log" | tail -40
      failed=$((failed + 1))
    fi
    e2e_stop_xvfb
  else
    echo "FAIL $name (Xvfb did not start)"
    failed=$((failed + 1))
  fi
  rm -rf "$tmp"
done
echo "e2e: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
