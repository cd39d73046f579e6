#!/usr/bin/env bash
# Installs what is missing, builds, and runs Calyxa.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh >&2
if build/calyxa-ctl help | grep -q '^  catalogue'; then
  exec build/calyxa-ctl catalogue "$@"
fi
exec build/calyxa-ctl help
