#!/usr/bin/env bash
# Installs what is needed, builds, packs the data and plays the demo.
# Arguments go to the program: ./run.sh 720p
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh
tools/build.sh
BUILD_DIR="${MORVANE_BUILD_DIR:-build}"
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1920x1080x24" "$BUILD_DIR/morvane" "$@"
fi
exec "$BUILD_DIR/morvane" "$@"
