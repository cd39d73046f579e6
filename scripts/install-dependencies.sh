#!/usr/bin/env bash
# Installs the Debian 12 packages Calyxa builds and tests with, when any is missing.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  libicu-dev nlohmann-json3-dev libplist-dev libevdev-dev libglib2.0-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-image-formats-plugins libqt6svg6 libgl-dev libxcb1-dev libopenjp2-7-dev
  fonts-noto-cjk fonts-noto-color-emoji
  # the end-to-end test on a real X server, and its screenshots
  xvfb xdotool x11-utils dbus imagemagick
  dpkg-dev file
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
