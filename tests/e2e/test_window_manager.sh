#!/usr/bin/env bash
# The launcher under a window manager that draws frames (openbox): the main window's frame
# is centred on the screen, and the About dialog's frame on the main window's, also after
# the main window moved; within 2 pixels, as halves are truncated.
set -euo pipefail
source "$E2E_DIR/lib.sh"
e2e_suite
e2e_start_wm   # it ends with the display
"$suite/launcher" >"$tmp/out.log" 2>"$tmp/err.log" &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT
wid=$(e2e_wait_window "Brimlow")
e2e_wait_lines "$suite/started.log" 1

# Fails unless the frames "X Y WIDTH HEIGHT" $1 and $2 have their centres within 2 pixels.
centred() {
  local a b
  read -ra a <<<"$1"
  read -ra b <<<"$2"
  local dx=$((2 * a[0] + a[2] - 2 * b[0] - b[2])) dy=$((2 * a[1] + a[3] - 2 * b[1] - b[3]))
  echo "frame $1 around $2: centres differ by ($dx, $dy) half pixels"
  [ "${dx#-}" -le 4 ] && [ "${dy#-}" -le 4 ]
}

centred "$(e2e_geometry "$wid" frame)" "0 0 1024 768"
e2e_open_about
centred "$(e2e_geometry "$about" frame)" "$(e2e_geometry "$wid" frame)"
xdotool key Return
sleep 0.5
xdotool windowmove "$wid" 100 60
sleep 0.5
e2e_open_about
centred "$(e2e_geometry "$about" frame)" "$(e2e_geometry "$wid" frame)"
[ ! -s "$tmp/err.log" ]
