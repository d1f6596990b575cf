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
for c in Data Music Video Tools; do has "category: $c"; done
grep -q '^music task: Audio CD | Create a standard data Audio CD which will play' "$tmp/walk.txt"
# Focused, selected, focusable, selectable; the parent a list (ROLE_SYSTEM_LIST); a gone
# task's object disconnected (CO_E_OBJNOTCONNECTED).
has "asked: focus Audio CD (states 300006), chosen Music and Audio CD, hit Audio CD, parent 33, focus taken 1"
has "gone task answers 800401fd"
has "version: 2.0.1"
has "walk done"
# Down, as a key landing on a task does, started "Grab Audio CD" (Pashley), the action
# "Audio CD" (Merrock), each once; the two start side by side.
e2e_wine_ends_cleanly
[ "$(sort "$suite/started.log" | tr '\n' ' ')" = "Merrock.exe Pashley.exe vemp.exe " ]
echo "accessibility walk under Wine passed"
