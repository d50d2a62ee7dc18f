#!/usr/bin/env bash
# The frame-time report beside the player's own frame times, in one sitting:
#   tools/frame-report.sh [720p|1080p]
# plays the demo in the player under Xvfb (a screen of that size, real time, the music on
# SDL's silent driver) with its frame log on (MORVANE_FRAME_LOG), then runs the report
# (morvane_bench --benchmark_filter=DemoTimeline) at the same size with that log beside it.
# The player plays once before the report and once after it; the table sets the report beside the
# frames of both runs, and each run's own median and frame rate follow it.
# MORVANE_BENCH_SPAN=FROM,TO reports one span (the player closes at TO); MORVANE_BENCH_SPLIT=0
# leaves the per-item pass out; MORVANE_BENCH_PLAYER=FILE takes a frame log written before
# instead of playing the demo; MORVANE_KEEP_FRAME_LOG=FILE keeps the two runs' frames (one file).
#
# The figures are only as good as the machine is quiet. On a virtual machine the same section of two
# player runs of one sitting has lain a fifth apart; the host may take processor time ("steal"), which
# each run reports at its end, and the sitting starts with the load average.
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

# Processor time of the whole machine and the part of it the host took, from /proc/stat (ticks).
CpuTicks() { awk '$1 == "cpu" { t = 0; for (i = 2; i <= NF; i++) t += $i; print t, $9 }' /proc/stat; }
# Runs a command and says afterwards how much of the machine's time was stolen meanwhile.
Stolen() {
  local what="$1" before after
  shift
  before="$(CpuTicks)"
  "$@"
  after="$(CpuTicks)"
  echo "$before $after" | awk -v what="$what" '{ t = $3 - $1; s = $4 - $2;
    printf "frame-report: %s: %.1f %% of the processor time stolen by the host\n", what, (t > 0 ? 100 * s / t : 0) }' >&2
}
echo "frame-report: load average $(cut -d' ' -f1-3 /proc/loadavg) before the sitting" >&2

# The median frame and the mean frame rate of a frame log ("TIME MS" a line).
LogFigures() {
  awk 'NF == 2 { print $2 }' "$1" | sort -g |
    awk '{ ms[NR] = $1; sum += $1 } END { if (NR) printf "%d frames, median %.2f ms, %.1f fps mean", NR, ms[int(NR / 2) + 1], 1000 * NR / sum }'
}
BENCH=("$BUILD_DIR/morvane_bench" --benchmark_filter=DemoTimeline --size="$SIZE")

LOG="${MORVANE_BENCH_PLAYER:-}"
if [ -n "$LOG" ]; then
  echo "frame-report: the report at $SIZE beside \"$LOG\"..." >&2
  Stolen "the report's run" env MORVANE_BENCH_PLAYER="$LOG" xvfb-run -a -s "-screen 0 1920x1080x24" "${BENCH[@]}"
  exit 0
fi

# The player plays before the report and again after it, and the report is set beside both runs'
# frames: a sitting whose machine slows down or speeds up as it goes weighs on both sides alike,
# and how far the two player runs lie apart tells how far to trust a ratio.
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
HOOK=()
if [ -n "${MORVANE_BENCH_SPAN:-}" ]; then
  HOOK=(MORVANE_TEST_HOOK="end=${MORVANE_BENCH_SPAN#*,}")
fi
Play() {
  echo "frame-report: playing the demo at $SIZE (real time)..." >&2
  Stolen "the player's run $1" env SDL_AUDIODRIVER=dummy MORVANE_FRAME_LOG="$WORK/player$1.frames" "${HOOK[@]}" \
    xvfb-run -a -s "-screen 0 $SCREEN" "$BUILD_DIR/morvane" "$SIZE"
}
Play 1
echo "frame-report: the report at $SIZE..." >&2
Stolen "the report's run" env MORVANE_BENCH_FRAMES="$WORK/report.frames" \
  xvfb-run -a -s "-screen 0 1920x1080x24" "${BENCH[@]}"
Play 2
cat "$WORK/player1.frames" "$WORK/player2.frames" >"$WORK/player.frames"
[ -z "${MORVANE_KEEP_FRAME_LOG:-}" ] || cp "$WORK/player.frames" "$MORVANE_KEEP_FRAME_LOG"
echo "frame-report: the report beside both of the player's runs..." >&2
env MORVANE_BENCH_REPORT="$WORK/report.frames" MORVANE_BENCH_PLAYER="$WORK/player.frames" \
  xvfb-run -a -s "-screen 0 1920x1080x24" "${BENCH[@]}" | sed -n '/beside the player/,/fps mean/p'
for run in 1 2; do
  echo "  player's run $run: $(LogFigures "$WORK/player$run.frames")"
done
