#!/usr/bin/env bash
# Builds Calyxa and its Debian package, build/calyxa_<version>_amd64.deb (extra arguments go to
# CMake's configure step, as with scripts/build.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh "$@"
cd build
cpack -G DEB
ls -1 "$PWD"/calyxa_*.deb
