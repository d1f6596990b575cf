#!/usr/bin/env bash
# launcher.exe from the Windows demo suite under Wine on a private Xvfb: its window and
# client area, the frame pixel for pixel as on Linux, the companion start, a task start by
# pointer, and OK ending the process with exit code 0.
set -euo pipefail
source "$E2E_DIR/../e2e/lib.sh"
source "$E2E_DIR/lib.sh"
tmp=$E2E_TMP
suite=$tmp/suite
cp -r "$BUILD/suite" "$suite"
rm -f "$suite/started.log"

xdotool mousemove 0 0
unset LB_CLASSIC_LOOK
wine "$suite/launcher.exe" >"$tmp/out.log" 2>"$tmp/err.log" &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT

wid=$(e2e_wait_window "Brimlow" 30)
echo "window $wid"
read -r X Y WIDTH HEIGHT < <(e2e_client_area "Brimlow")
echo "client area at $X,$Y size ${WIDTH}x$HEIGHT"
[ "$WIDTH" -eq 658 ]
[ "$HEIGHT" -eq 478 ]

# 1. The companion program started exactly once.
e2e_wait_lines "$suite/started.log" 1 30
sleep 0.5
[ "$(cat "$suite/started.log")" = "vemp.exe" ]

# 2. The client area shows what Linux shows, pixel for pixel: the picture the Linux
#    end-to-end test compares with.
e2e_screenshot "$tmp/screen.png"
convert "$tmp/screen.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$tmp/window.png"
diff=$(compare -metric AE "$tmp/window.png" "$E2E_DIR/../golden/launcher_start_themed.png" "$tmp/diff.png" 2>&1 || true)
echo "pixels differing from the golden start picture: $diff"
if [ "$diff" != "0" ]; then
  mkdir -p "${E2E_KEEP:-$tmp}" && cp "$tmp/window.png" "$tmp/diff.png" "${E2E_KEEP:-$tmp}/" 2>/dev/null || true
fi
[ "$diff" = "0" ]

# 3. Music, then the pointer onto "Audio CD" and a click: Merrock.exe starts once.
xdotool mousemove $((X + 8 + 2 + 80)) $((Y + 8 + 2 + 80 + 40)) click 1
sleep 0.5
[ "$(wc -l <"$suite/started.log")" -eq 1 ]   # choosing a category starts nothing
xdotool mousemove $((X + 184 + 2 + 200)) $((Y + 8 + 2 + 30))
sleep 0.3
[ "$(wc -l <"$suite/started.log")" -eq 1 ]   # pointing selects without starting
xdotool click 1
e2e_wait_lines "$suite/started.log" 2 30
sleep 0.5
[ "$(grep -c . "$suite/started.log")" -eq 2 ]
[ "$(grep -cx Merrock.exe "$suite/started.log")" -eq 1 ]

# 4. OK closes the window; the process exits with 0.
xdotool mousemove $((X + 568 + 40)) $((Y + 432 + 20)) click 1
for i in $(seq 1 200); do kill -0 $pid 2>/dev/null || break; sleep 0.05; done
if kill -0 $pid 2>/dev/null; then echo "the program is still running" >&2; exit 1; fi
status=0
wait $pid || status=$?
echo "exit status $status"
[ "$status" -eq 0 ]
[ "$(grep -c . "$suite/started.log")" -eq 2 ]
[ -z "$(e2e_program_errors "$tmp/err.log")" ]
echo "launcher e2e under Wine passed"
