#!/usr/bin/env bash
# Installs what is needed, builds, packs the data and runs every test under a virtual display.
# MORVANE_JOBS (default: the number of processors) sets the parallel build jobs and test runs.
# Other arguments go to ctest.
#   ./test.sh --sanitize [ctest arguments]   the same suite built with AddressSanitizer and
#                                            UndefinedBehaviorSanitizer in build-asan/
#                                            (tools/test-sanitize.sh)
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh
if [ "${1:-}" = "--sanitize" ]; then
  shift
  exec tools/test-sanitize.sh "$@"
fi
tools/build.sh
BUILD_DIR="${MORVANE_BUILD_DIR:-build}"
cd "$BUILD_DIR"
xvfb-run -a -s "-screen 0 1920x1080x24" ctest --output-on-failure -j "${MORVANE_JOBS:-$(nproc)}" "$@"
