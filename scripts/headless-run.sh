#!/usr/bin/env bash
# Starts a program under a private Xvfb with a window manager (openbox), waits for its
# window, writes a screenshot, then closes the program the way a user would (the close
# box, via the window manager) and exits with its exit code. Used where there is no display.
# Usage: scripts/headless-run.sh PROGRAM SCREENSHOT.png [WINDOW_TITLE]
set -uo pipefail
prog=$1
shot=$2
title=${3:-}
source "$(dirname "$0")/../tests/e2e/lib.sh"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
e2e_start_xvfb "$tmp" || { echo "Xvfb did not start" >&2; exit 1; }
openbox >/dev/null 2>&1 &
wm=$!
sleep 0.5
xdotool mousemove 0 0 2>/dev/null  # keep the pointer off the window, so the shot shows the start state
"$prog" &
pid=$!
if [ -n "$title" ]; then
  win=$(e2e_wait_window "$title" 10)
else
  win=
  for i in $(seq 1 200); do
    win=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -1)
    [ -n "$win" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.05
  done
fi
sleep 0.5
if [ -n "$win" ]; then
  e2e_screenshot "$shot" && echo "No display: ran $prog in a private Xvfb; screenshot written to $shot."
  # Alt+F4 reaches the window manager, which asks the window to close.
  xdotool windowactivate --sync "$win" >/dev/null 2>&1
  xdotool key alt+F4 2>/dev/null
else
  echo "No window appeared." >&2
fi
for i in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
kill "$pid" 2>/dev/null
wait "$pid"
status=$?
kill "$wm" 2>/dev/null
wait "$wm" 2>/dev/null
e2e_stop_xvfb
exit $status
