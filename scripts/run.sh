#!/usr/bin/env bash
# Installs what is missing, builds the release preset and starts the launcher on the
# bundled demo suite (build/suite). Without a display it runs under a private Xvfb with a
# window manager and writes a screenshot to build/screenshot.png.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
lb_install_deps
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)"

launcher=build/suite/launcher
if [ ! -x "$launcher" ]; then
  echo "The launcher is not built yet; the build finished. It will be started as: $launcher"
  exit 0
fi
if [ -n "${DISPLAY:-}" ]; then
  exec "$launcher"
fi
exec scripts/headless-run.sh "$launcher" build/screenshot.png Brimlow
