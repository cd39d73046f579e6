#!/usr/bin/env bash
# Installs what is missing, builds, and runs Calyxa: the launcher itself when there is a display
# (DISPLAY or WAYLAND_DISPLAY), else a picture of the overlay written into build/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh >&2
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec build/Calyxa "$@"
fi
picture=build/calyxa-snapshot.png
build/Calyxa --snapshot "$picture" "$@"
echo "No display: the overlay as it would open now is in $(pwd)/$picture"
