#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (offscreen, no display needed; the
# screen-reader test and the monkey start their own X server): the suite, then the fuzzers in a
# clang build of their own.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure -j2
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DBRENIX_FUZZ=ON -DBRENIX_WERROR="${BRENIX_WERROR:-OFF}"
cmake --build build-fuzz -j2
ctest --test-dir build-fuzz --output-on-failure -j2 -L fuzz
