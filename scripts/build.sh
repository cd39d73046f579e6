#!/usr/bin/env bash
# Configures and builds Calyxa in build/ (extra arguments go to CMake's configure step).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-dependencies.sh
cmake -S . -B build -G Ninja "$@"
cmake --build build
