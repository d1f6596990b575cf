#!/usr/bin/env bash
# The real launcher started from a copy of the demo suite on a private Xvfb: its window,
# the companion start, a task start by pointer, the help menu's web link handed to
# xdg-open, and OK ending the process with exit code 0.
set -euo pipefail
source "$E2E_DIR/lib.sh"
e2e_suite
e2e_fake_opener

xdotool mousemove 0 0
unset LB_CLASSIC_LOOK
"$suite/launcher" >"$tmp/out.log" 2>"$tmp/err.log" &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT

wid=$(e2e_wait_window "Brimlow")
eval "$(xdotool getwindowgeometry --shell "$wid")"   # X, Y, WIDTH, HEIGHT
echo "window at $X,$Y size ${WIDTH}x$HEIGHT"
[ "$WIDTH" -eq 658 ]
[ "$HEIGHT" -eq 478 ]

# 1. The companion program started exactly once.
e2e_wait_lines "$suite/started.log" 1
sleep 0.5
[ "$(cat "$suite/started.log")" = "vemp.exe" ]

# 2. The window shows what the headless rendering shows, pixel for pixel, in the look the
#    program starts with (visual styles on; the environment here does not set the switch).
e2e_expect_golden launcher_start_themed

# 3. Music, then the pointer onto "Audio CD" and a click: Merrock.exe starts once.
e2e_start_audio_cd

# 4. The Help button opens the menu at its bottom-left corner; "On the Web" hands the
#    edition's web address to xdg-open.
xdotool mousemove $((X + 8 + 20)) $((Y + 432 + 20)) click 1
menu=""
for i in $(seq 1 40); do
  menu=$(xwininfo -root -tree | grep -oE "[0-9]+x[0-9]+\+$((X + 8))\+$((Y + 474))" | head -1 || true)
  [ -n "$menu" ] && break
  sleep 0.05
done
echo "menu: $menu"
[ -n "$menu" ]
xdotool mousemove $((X + 8 + 30)) $((Y + 474 + 8))
sleep 0.1
xdotool click 1
e2e_wait_lines "$tmp/xdg-open.log" 1
[ "$(cat "$tmp/xdg-open.log")" = "https://www.tarnhollow.example/brimlow/" ]

# 5. OK closes the window; the process exits with 0.
xdotool mousemove $((X + 568 + 40)) $((Y + 432 + 20)) click 1
for i in $(seq 1 100); do kill -0 $pid 2>/dev/null || break; sleep 0.05; done
if kill -0 $pid 2>/dev/null; then echo "the program is still running" >&2; exit 1; fi
status=0
wait $pid || status=$?
echo "exit status $status"
[ "$status" -eq 0 ]
[ "$(grep -c . "$suite/started.log")" -eq 2 ]
[ ! -s "$tmp/err.log" ]

# 6. On 16-bit (565) and 15-bit (555) displays, with and without shared memory, the window
#    shows the same picture reduced to the display's colours, also after the OK button was
#    hovered and left (partly presented frames); OK still ends the program with 0.
for run in "16 +extension 64512" "15 -extension 63488"; do
  set -- $run
  E2E_DEPTH=$1 e2e_start_xvfb "$tmp" "$2" MIT-SHM
  trap 'kill $pid 2>/dev/null || true; e2e_stop_xvfb' EXIT
  xdotool mousemove 0 0
  rm -f "$suite/started.log"
  "$suite/launcher" >"$tmp/out.log" 2>"$tmp/err.log" &
  pid=$!
  wid=$(e2e_wait_window "Brimlow")
  eval "$(xdotool getwindowgeometry --shell "$wid")"
  e2e_wait_lines "$suite/started.log" 1
  xdotool mousemove $((X + 568 + 40)) $((Y + 432 + 20)) sleep 0.3 mousemove 0 0 sleep 0.3
  E2E_REDUCE="-channel RB -evaluate And 63488 -channel G -evaluate And $3 +channel -depth 16" e2e_expect_golden launcher_start_themed
  xdotool mousemove $((X + 568 + 40)) $((Y + 432 + 20)) click 1
  timeout 5 tail --pid=$pid -f /dev/null
  wait $pid
  e2e_stop_xvfb
done
echo "launcher e2e passed"
