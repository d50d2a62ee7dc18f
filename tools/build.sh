#!/usr/bin/env bash
# Configures and builds into build/ (or $MORVANE_BUILD_DIR), then packs the data.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR="${MORVANE_BUILD_DIR:-build}"
if [ ! -f "$BUILD_DIR/build.ninja" ]; then
  cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE="${MORVANE_BUILD_TYPE:-RelWithDebInfo}" ${MORVANE_CMAKE_ARGS:-}
fi
cmake --build "$BUILD_DIR" -j "$(nproc)"
tools/pack-data
