#!/usr/bin/env bash
# Configures and builds into build/ (or $MORVANE_BUILD_DIR), then packs the data.
#   tools/build.sh [--no-pack] [TARGET...]
#   TARGET...            build only these targets (./run.sh: morvane); default: everything
#   --no-pack            build only, leave the data archive as it is
#   MORVANE_BUILD_TYPE   CMake build type (default RelWithDebInfo)
#   MORVANE_CMAKE_ARGS   extra arguments for the configure step
#   MORVANE_JOBS         parallel build jobs (default: the number of processors)
# The build type and the extra arguments of the last configure are kept in the build directory;
# when either changes, the build directory is configured again from a fresh cache (so that an
# argument taken away goes back to its default).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR="${MORVANE_BUILD_DIR:-build}"
BUILD_TYPE="${MORVANE_BUILD_TYPE:-RelWithDebInfo}"
CMAKE_ARGS="${MORVANE_CMAKE_ARGS:-}"
JOBS="${MORVANE_JOBS:-$(nproc)}"
PACK=1
if [ "${1:-}" = "--no-pack" ]; then
  PACK=0
  shift
fi
TARGETS=()
for target in "$@"; do TARGETS+=(--target "$target"); done
case "$JOBS" in
  '' | *[!0-9]* | 0) echo "morvane: error: MORVANE_JOBS must be a positive number, not \"$JOBS\"" >&2; exit 2 ;;
esac
STAMP="$BUILD_DIR/morvane-configure.txt"
WANTED="$(printf 'build type: %s\ncmake args: %s\n' "$BUILD_TYPE" "$CMAKE_ARGS")"
if [ ! -f "$BUILD_DIR/build.ninja" ] || [ "$(cat "$STAMP" 2>/dev/null)" != "$WANTED" ]; then
  if [ -f "$STAMP" ]; then rm -f "$BUILD_DIR/CMakeCache.txt"; fi
  # shellcheck disable=SC2086  # the extra arguments are split on blanks on purpose
  cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE="$BUILD_TYPE" $CMAKE_ARGS
  printf '%s\n' "$WANTED" > "$STAMP"
fi
cmake --build "$BUILD_DIR" -j "$JOBS" "${TARGETS[@]}"
if [ "$PACK" = 1 ]; then tools/pack-data; fi
