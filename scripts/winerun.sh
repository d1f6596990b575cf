#!/usr/bin/env bash
# Runs a program of the Windows build under Wine: the emulator CMake and CTest put before
# every program they start in the cross build. The prefix is the build folder's own
# (see wineprefix.sh); the build folder is the nearest one above the program holding a
# CMakeCache.txt.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wineprefix.sh"
dir=$(cd "$(dirname "$1")" && pwd)
while [ "$dir" != / ] && [ ! -f "$dir/CMakeCache.txt" ]; do dir=$(dirname "$dir"); done
[ -f "$dir/CMakeCache.txt" ] || dir=$(pwd)
lb_wineprefix "$dir"
exec wine "$@"
