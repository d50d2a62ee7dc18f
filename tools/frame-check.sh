#!/usr/bin/env bash
# Before/after check of the picture: renders the demo frames of the DemoFrameDump benchmark
# (bench/PresentBench.cpp) with a base revision and with the current build, and compares them
# within 2/255 per channel (tools/compare-frames.py).
#
#   tools/frame-check.sh [BASE_REV]        (default: main)
#
# The base revision is exported into a temporary directory with the current dump benchmark added,
# and only morvane_bench is built there. Both runs read the current tree's generated assets.
#   MORVANE_BUILD_DIR   the current build (default build), built beforehand with tools/build.sh
#   MORVANE_JOBS        parallel build jobs for the base (default 3)
#   MORVANE_FRAME_SIZE  WxH of the frames (default 1280x720)
#   MORVANE_CHECK_DIR   where the base build and the frames go (default /tmp/morvane-frame-check)
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT="$PWD"
BASE="${1:-main}"
BUILD_DIR="${MORVANE_BUILD_DIR:-build}"
case "$BUILD_DIR" in /*) ;; *) BUILD_DIR="$ROOT/$BUILD_DIR" ;; esac
JOBS="${MORVANE_JOBS:-3}"
WORK="${MORVANE_CHECK_DIR:-/tmp/morvane-frame-check}"
XVFB=(xvfb-run -a -s "-screen 0 1920x1080x24")

[ -x "$BUILD_DIR/morvane_bench" ] || { echo "frame-check: build $BUILD_DIR/morvane_bench first" >&2; exit 2; }
mkdir -p "$WORK"
SRC="$WORK/src"
rm -rf "$SRC" "$WORK/before" "$WORK/after"
mkdir -p "$SRC"
git archive "$BASE" | tar -x -C "$SRC"
cp bench/PresentBench.cpp "$SRC/bench/"
# The generated assets (built by tools/build.sh in this tree) for the base's own sources.
for rel in svg Font img txt meshes filtered.data depth.data Audio; do
  if [ -e "Data/$rel" ]; then
    rm -rf "${SRC:?}/Data/$rel"
    ln -s "$ROOT/Data/$rel" "$SRC/Data/$rel"
  fi
done
cmake -S "$SRC" -B "$WORK/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$WORK/build" -j "$JOBS" --target morvane_bench

dump() { # binary, output directory
  (cd "$(dirname "$1")" && MORVANE_FRAME_DIR="$2" "${XVFB[@]}" "$1" --benchmark_filter=DemoFrameDump)
}
dump "$WORK/build/morvane_bench" "$WORK/before"
dump "$BUILD_DIR/morvane_bench" "$WORK/after"
python3 tools/compare-frames.py "$WORK/before" "$WORK/after"
