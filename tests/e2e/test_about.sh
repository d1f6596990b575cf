#!/usr/bin/env bash
# The About dialog of the real launcher on a private Xvfb (no window manager, so windows sit
# exactly where the program puts them; with E2E_WM set a window manager draws frames, and
# the main window's frame is centred on the screen and the dialog's on the main window's,
# within the half pixel that truncated halves leave): opened from the help menu it is centred on the
# main window, also after the main window was moved; the main window ignores clicks while
# it is open; Esc leaves it open and Enter closes it; its two links, the logo and the
# Updates button hand their targets to xdg-open; OK closes it and the program goes on.
set -euo pipefail
source "$E2E_DIR/lib.sh"
e2e_suite
e2e_fake_opener

xdotool mousemove 0 0
"$suite/launcher" >"$tmp/out.log" 2>"$tmp/err.log" &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT

wid=$(e2e_wait_window "Brimlow")
e2e_wait_lines "$suite/started.log" 1   # the companion program is up: start-up is over

# Waits until no visible window is titled $1.
wait_gone() {
  local i
  for i in $(seq 1 100); do
    [ -z "$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null)" ] && return 0
    sleep 0.05
  done
  echo "window '$1' is still there" >&2
  return 1
}

# The help menu hangs from the Help button's bottom-left corner (8, 474); its second item,
# "About Brimlow...", is 17 pixels high below the 3-pixel frame and the first item. Leaves
# the dialog's geometry in AX, AY, AW, AH and the main window's in X, Y.
open_about() {
  read -r X Y WIDTH HEIGHT < <(e2e_geometry "$wid")
  xdotool mousemove $((X + 8 + 20)) $((Y + 432 + 20)) click 1
  sleep 0.3
  xdotool mousemove $((X + 8 + 30)) $((Y + 474 + 3 + 17 + 8))
  sleep 0.1
  xdotool click 1
  about=$(e2e_wait_window "About Brimlow")
  sleep 0.3
  read -r AX AY AW AH < <(e2e_geometry "$about")
  echo "main window at $X,$Y; About at $AX,$AY size ${AW}x$AH"
  [ -z "${E2E_WM:-}" ] || centred "$(e2e_geometry "$about" frame)" "$(e2e_geometry "$wid" frame)"
}

# Fails unless the frames "X Y WIDTH HEIGHT" $1 and $2 have their centres within half a pixel.
centred() {
  local a=($1) b=($2)
  local dx=$((2 * a[0] + a[2] - 2 * b[0] - b[2])) dy=$((2 * a[1] + a[3] - 2 * b[1] - b[3]))
  echo "frame $1 around $2: centres differ by ($dx, $dy) half pixels"
  [ "${dx#-}" -le 1 ] && [ "${dy#-}" -le 1 ]
}
[ -z "${E2E_WM:-}" ] || centred "$(e2e_geometry "$wid" frame)" "0 0 1024 768"

# 1. Centred on the main window: both frames alike, so the client areas differ by half of
#    (658 - 523, 478 - 298) = (67, 90).
open_about
[ "$AW" -eq 523 ]
[ "$AH" -eq 298 ]
[ "$AX" -eq $((X + 67)) ]
[ "$AY" -eq $((Y + 90)) ]

# 2. The main window takes no clicks: the first task (above the dialog) starts nothing,
#    and its OK button (beside it) does not end the program.
xdotool mousemove $((X + 184 + 2 + 200)) $((Y + 8 + 2 + 30)) click 1
xdotool mousemove $((X + 568 + 40)) $((Y + 432 + 20)) click 1
sleep 0.5
[ "$(cat "$suite/started.log")" = "vemp.exe" ]
kill -0 $pid
e2e_wait_window "About Brimlow" 1 >/dev/null

# 3. Esc leaves the dialog open; Enter (the default OK button) closes it.
xdotool key Escape
sleep 0.3
e2e_wait_window "About Brimlow" 1 >/dev/null
xdotool key Return
wait_gone "About Brimlow"
kill -0 $pid

# 4. The main window moved elsewhere: the next opening is centred on its new place.
xdotool windowmove "$wid" 120 70
sleep 0.3
open_about
[ "$X" -eq 120 ]
[ "$Y" -eq 70 ]
[ "$AX" -eq $((120 + 67)) ]
[ "$AY" -eq $((70 + 90)) ]

# 5. The links: the web label at (16, 160) and the support label at (16, 192) of the About
#    page, whose area starts at (204, 32); the logo in the picture panel at (14, 14); the
#    Updates button at (206, 184) of the Update page (reached with Ctrl+Tab).
xdotool mousemove $((AX + 220 + 20)) $((AY + 192 + 6)) click 1
e2e_wait_lines "$tmp/xdg-open.log" 1
xdotool mousemove $((AX + 220 + 20)) $((AY + 224 + 6)) click 1
e2e_wait_lines "$tmp/xdg-open.log" 2
xdotool mousemove $((AX + 14 + 85)) $((AY + 14 + 119)) click 1
e2e_wait_lines "$tmp/xdg-open.log" 3
xdotool key ctrl+Tab
sleep 0.3
xdotool mousemove $((AX + 410 + 37)) $((AY + 216 + 12)) click 1
e2e_wait_lines "$tmp/xdg-open.log" 4
sleep 0.3
cat "$tmp/xdg-open.log"
diff - "$tmp/xdg-open.log" <<EOF
https://www.tarnhollow.example/brimlow/
mailto:brimlow-support@tarnhollow.example
https://shop.tarnhollow.example/order/brimlow
https://shop.tarnhollow.example/order/brimlow
EOF

# 6. OK closes the dialog; the main window works again and its OK ends the program.
xdotool mousemove $((AX + 438 + 37)) $((AY + 265 + 12)) click 1
wait_gone "About Brimlow"
xdotool mousemove $((X + 568 + 40)) $((Y + 432 + 20)) click 1
for i in $(seq 1 100); do kill -0 $pid 2>/dev/null || break; sleep 0.05; done
status=0
wait $pid || status=$?
echo "exit status $status"
[ "$status" -eq 0 ]
[ "$(cat "$suite/started.log")" = "vemp.exe" ]
[ ! -s "$tmp/err.log" ]
echo "About e2e passed"
