#!/usr/bin/env bash
# The About dialog of launcher.exe under Wine: opened from the help menu, its client area
# is centred on the main window's as on Linux; while it is open the main window takes no
# clicks (the system keeps them from the disabled window); Esc leaves it open, Enter
# closes it, and the program goes on to end with OK and exit code 0. With E2E_WM set, a
# window manager draws the frames and says which window is active: the dialog while it is
# open, the main window again once it closed.
set -euo pipefail
source "$E2E_DIR/../e2e/lib.sh"
source "$E2E_DIR/lib.sh"
e2e_wine_launcher
e2e_wait_lines "$suite/started.log" 1 30

# The menu hangs from the Help button's bottom-left corner (8, 474); its second item,
# "About Brimlow...", is 17 pixels high below the 3-pixel frame and the first item.
xdotool mousemove $((X + 8 + 20)) $((Y + 432 + 20))
sleep 0.3
xdotool click 1
sleep 0.5
xdotool mousemove $((X + 8 + 30)) $((Y + 474 + 3 + 17 + 8))
sleep 0.2
xdotool click 1
about=$(e2e_wait_window "About Brimlow" 30)
read -r AX AY AW AH < <(e2e_client_area "About Brimlow")
echo "main client area at $X,$Y; About's at $AX,$AY size ${AW}x$AH"
[ "$AW" -eq 523 ]
[ "$AH" -eq 298 ]
[ "$AX" -eq $((X + 67)) ]
[ "$AY" -eq $((Y + 90)) ]
[ -z "${E2E_WM:-}" ] || [ "$(xdotool getactivewindow)" = "$about" ]

# The main window takes no clicks: the first task (above the dialog) starts nothing, and
# its OK button (beside it) does not end the program.
xdotool mousemove $((X + 184 + 2 + 200)) $((Y + 8 + 2 + 30))
sleep 0.2
xdotool click 1
sleep 0.3
xdotool mousemove $((X + 568 + 40)) $((Y + 432 + 20))
sleep 0.2
xdotool click 1
sleep 0.7
[ "$(cat "$suite/started.log")" = "vemp.exe" ]
kill -0 $pid
e2e_wait_window "About Brimlow" 1 >/dev/null

# Esc leaves the dialog open; Enter (its default OK button) closes it.
xdotool key Escape
sleep 0.5
e2e_wait_window "About Brimlow" 1 >/dev/null
xdotool key Return
for i in $(seq 1 100); do
  [ -z "$(xdotool search --onlyvisible --name '^About Brimlow$' 2>/dev/null || true)" ] && break
  sleep 0.05
done
[ -z "$(xdotool search --onlyvisible --name '^About Brimlow$' 2>/dev/null || true)" ]
[ -z "${E2E_WM:-}" ] || [ "$(xdotool getactivewindow)" = "$wid" ]

# The main window works again: OK ends the program with 0.
xdotool mousemove $((X + 568 + 40)) $((Y + 432 + 20))
sleep 0.2
xdotool click 1
e2e_wine_ends_cleanly
[ "$(cat "$suite/started.log")" = "vemp.exe" ]
echo "About e2e under Wine passed"
