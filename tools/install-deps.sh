#!/usr/bin/env bash
# Installs the Debian packages Pathkeep needs to build, run and test.
# Checks each package first so that a machine that has them all is left alone.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config python3 time bc
  qt6-base-dev libgl-dev libxml2-dev libxml2-utils
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  gpsbabel xvfb xauth libx11-dev libxtst-dev fonts-dejavu-core ccache
  gpsd gpsd-clients openbox dbus-x11 libatspi2.0-dev at-spi2-core x11-utils
  desktop-file-utils libglib2.0-bin shared-mime-info
)

missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}" >&2
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
