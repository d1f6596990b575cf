#!/usr/bin/env bash
# The About test under a window manager (openbox), with Wine's windows managed by it.
source "$E2E_DIR/../e2e/lib.sh"
source "$E2E_DIR/../../scripts/wineprefix.sh"
e2e_start_wm
lb_wineprefix "$BUILD"
E2E_WM=1 source "$E2E_DIR/test_about.sh"
