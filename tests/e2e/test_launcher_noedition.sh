#!/usr/bin/env bash
# A product title that names no edition: the launcher shows its window, starts the
# companion program once and then ends by itself, without any input, saying why on
# standard error.
set -euo pipefail
source "$E2E_DIR/lib.sh"
e2e_suite
printf '[SYSTEM]\nName=Nobody\nVersion=1.0\n' >"$suite/lame.dll"
# On a display without the shared-memory extension, whose absence Xlib must not report.
e2e_start_xvfb "$tmp" -extension MIT-SHM

start=$(date +%s%N)
"$suite/launcher" >"$tmp/out.log" 2>"$tmp/err.log" &
pid=$!
trap 'kill $pid 2>/dev/null || true; e2e_stop_xvfb' EXIT
for i in $(seq 1 100); do kill -0 $pid 2>/dev/null || break; sleep 0.05; done
if kill -0 $pid 2>/dev/null; then echo "the program is still running" >&2; exit 1; fi
status=0
wait $pid || status=$?
echo "ended by itself after $(( ($(date +%s%N) - start) / 1000000 )) ms with status $status"
[ "$status" -eq 0 ]
e2e_wait_lines "$suite/started.log" 1 5
sleep 0.3
[ "$(cat "$suite/started.log")" = "vemp.exe" ]
# It says why on standard error, in one line.
cat "$tmp/err.log"
real=$(cd "$suite" && pwd -P)
[ "$(cat "$tmp/err.log")" = "launcher: the product title \"Nobody\" in \"$real/lame.dll\" names no edition" ]

# Without a product file at all: the same run, and the line says the file is missing.
rm "$suite/lame.dll"
status=0
timeout 10 "$suite/launcher" >"$tmp/out.log" 2>"$tmp/err.log" || status=$?
cat "$tmp/err.log"
[ "$status" -eq 0 ]
[ "$(cat "$tmp/err.log")" = "launcher: the product information file \"$real/lame.dll\" is missing, so no edition is selected" ]

# Without a display the launcher says so and fails.
status=0
DISPLAY= "$suite/launcher" 2>"$tmp/nodisplay.log" || status=$?
cat "$tmp/nodisplay.log"
[ "$status" -ne 0 ]
grep -q "display" "$tmp/nodisplay.log"
# Nor does it show a window on a palette display.
e2e_stop_xvfb
E2E_DEPTH=8 e2e_start_xvfb "$tmp"
status=0
timeout 10 "$suite/launcher" 2>"$tmp/palette.log" || status=$?
cat "$tmp/palette.log"
[ "$status" -ne 0 ]
grep -q "offers no 24-bit true-colour visual" "$tmp/palette.log"
echo "launcher no-edition e2e passed"
