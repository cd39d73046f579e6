#!/usr/bin/env bash
# Configures and builds Calyxa in build/ (extra arguments go to CMake's configure step).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-dependencies.sh
# Warnings are errors here and in CI, not in a user's own build.
cmake -S . -B build -G Ninja -DCALYXA_WERROR=ON "$@"
cmake --build build
