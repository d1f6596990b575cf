#!/usr/bin/env bash
# The About test under a window manager that draws frames (openbox).
source "$E2E_DIR/lib.sh"
e2e_start_wm   # it ends with the display
E2E_WM=1 source "$E2E_DIR/test_about.sh"

# An error box (a broken logo, before About opens) is owned by the main window it blocks, as
# a modal transient of it: a click on the main window leaves the box above, and it takes Enter.
printf 'not a picture' >"$suite/leftlogo.png"
: >"$suite/started.log"
"$suite/launcher" 2>"$tmp/err.log" &
pid=$!
wid=$(e2e_wait_window "Brimlow")
e2e_wait_lines "$suite/started.log" 1
read -r X Y WIDTH HEIGHT < <(e2e_geometry "$wid")
xdotool mousemove $((X + 28)) $((Y + 452)) click 1
sleep 0.3
xdotool mousemove $((X + 38)) $((Y + 502)) click 1
for i in $(seq 1 100); do
  box=$(xdotool search --onlyvisible --name '^Brimlow$' | grep -vx "$wid" | head -1) && [ -n "$box" ] && break
  sleep 0.05
done
hints=$(xprop -id "$box" WM_TRANSIENT_FOR _NET_WM_STATE)
echo "$hints"
grep -q "window id # $(printf '0x%x' "$wid")\$" <<<"$hints"
grep -q _NET_WM_STATE_MODAL <<<"$hints"
xdotool mousemove $((X + 300)) $((Y + 200)) click 1
sleep 0.5
stack=$(xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*# //; s/, /\n/g')
echo "stacking, bottom first: $(echo $stack)"
[ "$(grep -n -x "$(printf '0x%x' "$box")" <<<"$stack" | cut -d: -f1)" -gt \
  "$(grep -n -x "$(printf '0x%x' "$wid")" <<<"$stack" | cut -d: -f1)" ]
xdotool key Return
e2e_wait_window "About Brimlow" >/dev/null
kill $pid
