#!/usr/bin/env bash
# The launcher on a desktop set to 200 % (Xft.dpi 192 among the root window's resources):
# the main window's client area is the design doubled, 1316 x 956, the About dialog's
# 1046 x 596, a click where a task item now lies starts its tool, and OK where it now lies
# ends the program with 0.
set -euo pipefail
source "$E2E_DIR/lib.sh"
e2e_suite
E2E_SCREEN=2048x1536 e2e_start_xvfb "$tmp"
trap 'e2e_stop_xvfb' EXIT
xprop -root -format RESOURCE_MANAGER 8s -set RESOURCE_MANAGER "$(printf 'Xft.antialias:\t1\nXft.dpi:\t192\n')"

xdotool mousemove 0 0
"$suite/launcher" >"$tmp/out.log" 2>"$tmp/err.log" &
pid=$!
trap 'kill $pid 2>/dev/null || true; e2e_stop_xvfb' EXIT

wid=$(e2e_wait_window "Brimlow")
read -r X Y WIDTH HEIGHT < <(e2e_geometry "$wid")
echo "window at $X,$Y size ${WIDTH}x$HEIGHT"
[ "$WIDTH" -eq 1316 ]
[ "$HEIGHT" -eq 956 ]
e2e_wait_lines "$suite/started.log" 1

# Music, then "Audio CD": Merrock.exe starts once.
E2E_SCALE=2 e2e_start_audio_cd

# The help menu hangs from the Help button's doubled bottom-left corner; its second item
# opens About.
xdotool mousemove $((X + 2 * (8 + 20))) $((Y + 2 * (432 + 20))) click 1
menu=""
for i in $(seq 1 40); do
  menu=$(xwininfo -root -tree | grep -oE "[0-9]+x[0-9]+\+$((X + 16))\+$((Y + 948))" | head -1 || true)
  [ -n "$menu" ] && break
  sleep 0.05
done
echo "menu: $menu"
[ -n "$menu" ]
menuHeight=${menu#*x}
menuHeight=${menuHeight%%+*}
xdotool mousemove $((X + 16 + 40)) $((Y + 948 + menuHeight * 3 / 4))
sleep 0.1
xdotool click 1
about=$(e2e_wait_window "About Brimlow")
sleep 0.3
read -r AX AY AW AH < <(e2e_geometry "$about")
echo "About at $AX,$AY size ${AW}x$AH"
[ "$AW" -eq 1046 ]
[ "$AH" -eq 596 ]
xdotool key Return
for i in $(seq 1 100); do [ -z "$(xdotool search --onlyvisible --name '^About Brimlow$' 2>/dev/null)" ] && break; sleep 0.05; done

xdotool mousemove $((X + 2 * (568 + 40))) $((Y + 2 * (432 + 20))) click 1
timeout 5 tail --pid=$pid -f /dev/null
status=0
wait $pid || status=$?
echo "exit status $status"
[ "$status" -eq 0 ]
[ ! -s "$tmp/err.log" ]
echo "launcher dpi e2e passed"
