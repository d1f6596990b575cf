#!/usr/bin/env bash
# launcher.exe under Wine, by keyboard and menu: the Help button's menu opens at the
# button's bottom-left corner as a window of its own and Escape closes it; a plain "o" in
# the category list leaves the window open, while Alt+O (a system key) closes the program
# with exit code 0, having started only the companion.
set -euo pipefail
source "$E2E_DIR/../e2e/lib.sh"
source "$E2E_DIR/lib.sh"
e2e_wine_launcher
e2e_wait_lines "$suite/started.log" 1 30

# A plain "o" is a character for the category list, which has the focus at the start, not
# the OK button's access key.
xdotool key o
sleep 1.5
kill -0 $pid
[ -n "$(xdotool search --onlyvisible --name '^Brimlow$' 2>/dev/null || true)" ]

# The menu: a native window whose top-left corner is the button's bottom-left corner.
menu_at() { xwininfo -root -tree | grep -E "[0-9]+x[0-9]+\+$((X + 8))\+$((Y + 474)) " | head -1 || true; }
viewable() { xwininfo -id "$1" | grep -q "Map State: IsViewable"; }
xdotool mousemove $((X + 8 + 20)) $((Y + 432 + 20))
sleep 0.3
xdotool click 1
menu=""
for i in $(seq 1 60); do
  menu=$(menu_at)
  [ -n "$menu" ] && viewable "$(echo "$menu" | awk '{print $1}')" && break
  menu=""
  sleep 0.05
done
echo "menu: $menu"
[ -n "$menu" ]
id=$(echo "$menu" | awk '{print $1}')
xdotool key Escape
for i in $(seq 1 60); do viewable "$id" || break; sleep 0.05; done
if viewable "$id"; then echo "the menu is still shown" >&2; exit 1; fi

# Alt+O: the OK button's access key closes the window; the process exits with 0.
xdotool key alt+o
e2e_wine_ends_cleanly
[ "$(cat "$suite/started.log")" = "vemp.exe" ]
echo "launcher keys e2e under Wine passed"
