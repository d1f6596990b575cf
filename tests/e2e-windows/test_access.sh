#!/usr/bin/env bash
# launcher.exe under Wine read and operated through the system's accessibility interface
# by a client of ours (e2e_access_walk): the frame, both lists with their items, the
# buttons; the focus moved by a selection and by keys, each move heard as a focus event; a
# task started by Down, "Audio CD" by its default action; About opened from the help menu
# by actions and its version label read; both windows closed by their OK buttons'
# actions, exit code 0.
set -euo pipefail
source "$E2E_DIR/../e2e/lib.sh"
source "$E2E_DIR/lib.sh"
e2e_wine_launcher
e2e_wait_lines "$suite/started.log" 1 30
wine "$BUILD/bin/e2e_access_walk.exe" >"$tmp/walk.log" 2>"$tmp/walk.err" || { cat "$tmp/walk.log" "$tmp/walk.err"; exit 1; }
tr -d '\r' <"$tmp/walk.log" >"$tmp/walk.txt"
cat "$tmp/walk.txt"
has() { grep -qxF -- "$1" "$tmp/walk.txt" || { echo "missing: $1" >&2; exit 1; }; }
has "frame: Brimlow"
for c in Data Music Video Tools; do has "category: $c"; done
has "button: Help"
has "button: OK"
has "focus event: Music"
grep -q '^music task: Audio CD | Create a standard data Audio CD' "$tmp/walk.txt"
# Tab lands on the task list's chosen task; Down, as a key landing on a task does, chooses
# "Grab Audio CD" and starts its tool; the action's click then starts Audio CD's.
has "focus event: Audio CD"
has "focus after Down: Grab Audio CD"
has "action: Audio CD"
has "dialog: About Brimlow"
has "focus event: About"
has "version: 2.0.1"
has "walk done"
e2e_wine_ends_cleanly
[ "$(cat "$suite/started.log" | tr '\n' ' ')" = "vemp.exe Pashley.exe Merrock.exe " ]
echo "accessibility walk under Wine passed"
