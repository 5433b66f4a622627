#!/usr/bin/env bash
# Configures and builds into ./build (two jobs). BRENIX_WERROR=ON makes warnings errors.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRENIX_WERROR="${BRENIX_WERROR:-OFF}"
cmake --build build -j2
