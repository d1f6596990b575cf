#!/usr/bin/env bash
# uidemo on a private Xvfb: the window's pixels match the headless rendering exactly,
# clicks on the lists reach the program, and the Help menu drops below the window.
set -euo pipefail
source "$E2E_DIR/lib.sh"
bin="$BUILD/bin/uidemo"
tmp=$E2E_TMP

# Keep the pointer off the window so hovering selects nothing before the screenshot.
xdotool mousemove 0 0
"$bin" --headless-dump "$tmp/headless.bmp"
"$bin" >"$tmp/out.log" 2>"$tmp/err.log" &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT

wid=$(e2e_wait_window "UI Demo")
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$wid")"   # X, Y, WIDTH, HEIGHT
echo "window at $X,$Y size ${WIDTH}x$HEIGHT"
[ "$WIDTH" -eq 658 ]
[ "$HEIGHT" -eq 478 ]

# 1. Pixel for pixel: the screen inside the window equals the headless frame.
e2e_screenshot "$tmp/screen.png"
convert "$tmp/screen.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$tmp/window.png"
diff=$(compare -metric AE "$tmp/window.png" "$tmp/headless.bmp" "$tmp/diff.png" 2>&1 || true)
echo "differing pixels: $diff"
[ "$diff" = "0" ]

# 2. Clicks: the third task, then the Tools category (rebuilds the task list).
xdotool mousemove $((X + 184 + 200)) $((Y + 8 + 2 + 75 * 2 + 30)) click 1
xdotool mousemove $((X + 8 + 80)) $((Y + 8 + 2 + 80 * 3 + 40)) click 1
e2e_wait_lines "$tmp/out.log" 2
grep -qx "task 0 2" "$tmp/out.log"
grep -qx "category 3" "$tmp/out.log"

# 3. The Help menu opens at the button's bottom-left corner and extends below the window.
xdotool mousemove $((X + 8 + 20)) $((Y + 432 + 20)) click 1
e2e_wait_lines "$tmp/out.log" 3
read -r _ ml mt mr mb < <(grep '^popup ' "$tmp/out.log" | tail -1)
echo "menu at $ml,$mt-$mr,$mb"
[ "$ml" -eq $((X + 8)) ]
[ "$mt" -eq $((Y + 474)) ]
[ "$mb" -gt $((Y + HEIGHT)) ]
sleep 0.3
e2e_screenshot "$tmp/menu.png"
# The menu's frame: white outer top-left edge, menu colour inside, dark bottom-right edge.
px() { convert "$tmp/menu.png" -format "%[fx:round(255*p{$1,$2}.r)],%[fx:round(255*p{$1,$2}.g)],%[fx:round(255*p{$1,$2}.b)]" info:; }
[ "$(px "$ml" $((mt + 5)))" = "255,255,255" ]
[ "$(px $((mr - 1)) $((mb - 1)))" = "105,105,105" ]
[ "$(px $((ml + 1)) $((mt + 1)))" = "227,227,227" ]
xwininfo -root -tree | grep -q "$((mr - ml))x$((mb - mt))+$ml+$mt"

# 4. Choosing "About" by its access letter closes the menu and runs the item.
xdotool key b
e2e_wait_lines "$tmp/out.log" 4
grep -qx "menu AboutMedia1" "$tmp/out.log"

# 5. OK closes the program.
xdotool mousemove $((X + 568 + 40)) $((Y + 432 + 20)) click 1
for i in $(seq 1 100); do kill -0 $pid 2>/dev/null || break; sleep 0.05; done
if kill -0 $pid 2>/dev/null; then echo "the program is still running" >&2; exit 1; fi
wait $pid
grep -qx "ok" "$tmp/out.log"
echo "uidemo e2e passed"
