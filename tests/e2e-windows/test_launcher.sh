#!/usr/bin/env bash
# launcher.exe from the Windows demo suite under Wine on a private Xvfb: its window and
# client area, the frame pixel for pixel as on Linux, the companion start, a task start by
# pointer, and OK ending the process with exit code 0.
set -euo pipefail
source "$E2E_DIR/../e2e/lib.sh"
source "$E2E_DIR/lib.sh"
unset LB_CLASSIC_LOOK
e2e_wine_launcher
echo "client area at $X,$Y size ${WIDTH}x$HEIGHT"
[ "$WIDTH" -eq 658 ]
[ "$HEIGHT" -eq 478 ]

# 1. The companion program started exactly once.
e2e_wait_lines "$suite/started.log" 1 30
sleep 0.5
[ "$(cat "$suite/started.log")" = "vemp.exe" ]

# 2. The client area shows what Linux shows, pixel for pixel: the picture the Linux
#    end-to-end test compares with.
e2e_expect_golden launcher_start_themed

# 3. Music, then the pointer onto "Audio CD" and a click: Merrock.exe starts once.
e2e_start_audio_cd 30 0.5

# 4. OK closes the window; the process exits with 0.
xdotool mousemove $((X + 568 + 40)) $((Y + 432 + 20)) click 1
e2e_wine_ends_cleanly
[ "$(grep -c . "$suite/started.log")" -eq 2 ]
echo "launcher e2e under Wine passed"
