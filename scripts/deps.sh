#!/usr/bin/env bash
# The one list of Debian packages the project needs, and the step that installs the
# missing ones. Sourced by run.sh and test.sh; safe to run again (installs nothing twice).
set -euo pipefail

LB_PACKAGES=(
  # toolchain and build (ccache is used when present; it keeps rebuilds short)
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev ccache
  # the Windows build and its tests under Wine
  g++-mingw-w64-x86-64-posix libz-mingw-w64-dev wine wine64
  # libraries
  zlib1g-dev libisal-dev libfreetype-dev libfontconfig-dev libx11-dev libxext-dev libxfixes-dev
  # the accessibility bridge module (ATK, its AT-SPI bridge, D-Bus)
  libatk1.0-dev libatk-bridge2.0-dev libdbus-1-dev
  # fonts: Tahoma-compatible faces, and the fallback
  fonts-wine fonts-dejavu-core
  # tests and benchmarks
  googletest libgtest-dev libbenchmark-dev libpng-dev libspng-dev
  # end-to-end tests: a real X server, input, screenshots
  xvfb xauth xdotool x11-apps x11-utils imagemagick openbox
  # end-to-end accessibility test: a private session bus, the accessibility bus, an AT-SPI client
  dbus-daemon at-spi2-core python3-pyatspi python3-gi gir1.2-atspi-2.0
  # install test: checks the desktop entry
  desktop-file-utils
  # packages: the Debian package (dpkg-shlibdeps) and its check, the Windows installer
  dpkg-dev lintian nsis
)

lb_install_deps() {
  local missing=()
  for p in "${LB_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -eq 0 ]; then
    return 0
  fi
  echo "Installing missing packages: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  lb_install_deps
fi
