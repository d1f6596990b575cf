#!/usr/bin/env bash
# scripts/run.sh with a DISPLAY that names no running X server falls back to the private
# display, as when DISPLAY is unset: screenshot written, window closed by itself, status 0.
set -euo pipefail
source "$E2E_DIR/lib.sh"
root=$(cd "$E2E_DIR/../.." && pwd)
# run.sh builds and starts the repository's own release build; nothing else to check it on.
if [ "$BUILD" != "$root/build" ]; then
  echo "skipped: run.sh uses $root/build, not $BUILD"
  exit 0
fi
dead=
for n in $(seq 150 199); do
  if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then dead=":$n"; break; fi
done
[ -n "$dead" ]
touch "$E2E_TMP/before"
status=0
DISPLAY=$dead timeout 100 "$root/scripts/run.sh" >"$E2E_TMP/run.log" 2>&1 || status=$?
cat "$E2E_TMP/run.log"
[ "$status" -eq 0 ]
grep -qF "DISPLAY=$dead does not answer" "$E2E_TMP/run.log"
grep -qF "screenshot written to build/screenshot.png" "$E2E_TMP/run.log"
[ "$root/build/screenshot.png" -nt "$E2E_TMP/before" ]
echo "run.sh dead-display e2e passed"
