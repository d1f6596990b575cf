#!/usr/bin/env bash
# Installs what is missing, then builds the suite's packages into dist/: the Debian package
# from the release build (build/) and the Windows installer from the Windows build
# (build-windows/). LB_SKIP_WINDOWS=1 leaves the installer out. Both take their version
# from the product file apps/suite/lame.dll.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
lb_install_deps

launcher=()
if command -v ccache >/dev/null 2>&1; then
  export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}" CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-true}"
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
mkdir -p dist
# package PRESET BUILD_DIR TARGET PATTERN: builds the preset's TARGET and copies the file
# it made (the newest in BUILD_DIR/packages matching PATTERN) to dist/.
package() {
  cmake --preset "$1" "${launcher[@]}" >/dev/null
  cmake --build --preset "$1" -j "$(nproc)" --target "$3"
  cp "$(ls -t "$2"/packages/$4 | head -1)" dist/
}
package release build deb '*.deb'
[ "${LB_SKIP_WINDOWS:-0}" = "1" ] || package windows build-windows installer '*-setup.exe'
ls -l dist/
