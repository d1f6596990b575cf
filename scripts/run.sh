#!/usr/bin/env bash
# Installs what is missing, builds the launcher and the demo suite (build/suite) and starts
# the launcher there. Without a display that answers (DISPLAY unset, or naming no running
# X server) it runs under a private Xvfb with a window manager, writes a screenshot to
# build/screenshot.png and closes the window by itself.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
lb_install_deps
cmake --preset release >/dev/null
# Only what is started below: the suite target brings the launcher with it. Tests and
# benchmarks are scripts/test.sh's business.
cmake --build --preset release -j "$(nproc)" --target suite

launcher=build/suite/launcher
if [ -n "${DISPLAY:-}" ]; then
  if timeout 5 xdpyinfo >/dev/null 2>&1; then
    exec "$launcher"
  fi
  echo "DISPLAY=$DISPLAY does not answer; using a private X server instead."
fi
exec scripts/headless-run.sh "$launcher" build/screenshot.png Brimlow
