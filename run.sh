#!/usr/bin/env bash
# Installs what is needed, builds, packs the data and plays the demo.
# Arguments go to the program: ./run.sh 720p
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh
tools/build.sh
BUILD_DIR="${MORVANE_BUILD_DIR:-build}"
if [ -z "${DISPLAY:-}" ]; then
  # A virtual screen of the size the program asks for: full screen takes the whole screen.
  SCREEN="1920x1080x24"
  case " $* " in *720p*) SCREEN="1280x720x24" ;; esac
  exec xvfb-run -a -s "-screen 0 $SCREEN" "$BUILD_DIR/morvane" "$@"
fi
exec "$BUILD_DIR/morvane" "$@"
