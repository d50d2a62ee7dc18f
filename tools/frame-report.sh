#!/usr/bin/env bash
# The frame-time report beside the player's own frame times, in one sitting:
#   tools/frame-report.sh [720p|1080p]
# plays the demo once in the player under Xvfb (a screen of that size, real time, the music on
# SDL's silent driver) with its frame log on (MORVANE_FRAME_LOG), then runs the report
# (morvane_bench --benchmark_filter=DemoTimeline) at the same size with that log beside it.
# MORVANE_BENCH_SPAN=FROM,TO reports one span (the player closes at TO); MORVANE_BENCH_SPLIT=0
# leaves the per-item pass out; MORVANE_BENCH_PLAYER=FILE takes a frame log written before
# instead of playing the demo again; MORVANE_KEEP_FRAME_LOG=FILE keeps the one played.
set -euo pipefail
cd "$(dirname "$0")/.."
SIZE="${1:-720p}"
case "$SIZE" in
  720p) SCREEN=1280x720x24 ;;
  1080p) SCREEN=1920x1080x24 ;;
  *) echo "usage: $0 [720p|1080p]" >&2; exit 2 ;;
esac
BUILD_DIR="${MORVANE_BUILD_DIR:-build}"
for program in morvane morvane_bench; do
  [ -x "$BUILD_DIR/$program" ] || { echo "$0: $BUILD_DIR/$program is missing: build first (tools/build.sh)" >&2; exit 1; }
done

LOG="${MORVANE_BENCH_PLAYER:-}"
if [ -z "$LOG" ]; then
  LOG="${MORVANE_KEEP_FRAME_LOG:-$(mktemp --suffix=.frames)}"
  [ -n "${MORVANE_KEEP_FRAME_LOG:-}" ] || trap 'rm -f "$LOG"' EXIT
  HOOK=()
  if [ -n "${MORVANE_BENCH_SPAN:-}" ]; then
    HOOK=(MORVANE_TEST_HOOK="end=${MORVANE_BENCH_SPAN#*,}")
  fi
  echo "frame-report: playing the demo at $SIZE (real time)..." >&2
  env SDL_AUDIODRIVER=dummy MORVANE_FRAME_LOG="$LOG" "${HOOK[@]}" \
    xvfb-run -a -s "-screen 0 $SCREEN" "$BUILD_DIR/morvane" "$SIZE"
fi
echo "frame-report: the report at $SIZE..." >&2
MORVANE_BENCH_PLAYER="$LOG" xvfb-run -a -s "-screen 0 1920x1080x24" \
  "$BUILD_DIR/morvane_bench" --benchmark_filter=DemoTimeline --size="$SIZE"
