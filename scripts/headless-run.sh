#!/usr/bin/env bash
# Starts a program under a private Xvfb with a window manager (openbox), waits for its
# first window, writes a screenshot and leaves the program running until it exits.
# Usage: scripts/headless-run.sh PROGRAM SCREENSHOT.png
set -uo pipefail
prog=$1
shot=$2
source "$(dirname "$0")/../tests/e2e/lib.sh"
tmp=$(mktemp -d)
e2e_start_xvfb "$tmp" || { echo "Xvfb did not start" >&2; exit 1; }
openbox >/dev/null 2>&1 &
wm=$!
sleep 0.5
"$prog" &
pid=$!
sleep 2
e2e_screenshot "$shot" && echo "Screenshot written to $shot (no display: the launcher runs in a private Xvfb on $DISPLAY)."
echo "Close it with: DISPLAY=$DISPLAY xdotool key --window \$(DISPLAY=$DISPLAY xdotool search --onlyvisible --name . | head -1) Escape, or kill $pid"
wait $pid
status=$?
kill $wm 2>/dev/null
e2e_stop_xvfb
rm -rf "$tmp"
exit $status
