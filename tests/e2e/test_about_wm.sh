#!/usr/bin/env bash
# The About test under a window manager that draws frames (openbox).
source "$E2E_DIR/lib.sh"
e2e_start_wm   # it ends with the display
E2E_WM=1 source "$E2E_DIR/test_about.sh"
