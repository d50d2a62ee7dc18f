#!/usr/bin/env bash
# Installs what is needed, builds the player alone, packs the data and plays the demo.
# Arguments go to the program: ./run.sh 720p
# It says what it does, one line per stage; the output of the build and of the packer goes to
# a log in the build directory, shown when a stage fails. ./test.sh builds everything else.
set -euo pipefail
cd "$(dirname "$0")"
BUILD_DIR="${MORVANE_BUILD_DIR:-build}"
LOG="$BUILD_DIR/run.log"

say() { printf 'run.sh: %s\n' "$*"; }
# Runs a stage with its output in the log; on failure shows the end of the log and stops.
stage() {
  if ! "$@" >>"$LOG" 2>&1; then
    tail -n 40 "$LOG" >&2
    printf 'run.sh: error: "%s" failed; the whole output is in %s\n' "$*" "$LOG" >&2
    exit 1
  fi
}

say "checking the Debian packages (tools/install-deps.sh)"
tools/install-deps.sh
mkdir -p "$BUILD_DIR"
: >"$LOG"
if [ -x "$BUILD_DIR/morvane" ]; then
  say "building the player in $BUILD_DIR/ (only what changed)"
else
  say "building the player in $BUILD_DIR/ (the first time takes a few minutes; progress in $LOG)"
fi
stage tools/build.sh --no-pack morvane
if [ -f Data/Morvane-ZQ4.sts ]; then
  say "packing the data into Data/Morvane-ZQ4.sts (only what changed)"
else
  say "packing the data into Data/Morvane-ZQ4.sts (the first time generates fonts, images and music)"
fi
stage tools/pack-data

if [ -z "${DISPLAY:-}" ]; then
  # A virtual screen of the size the program asks for: full screen takes the whole screen.
  SCREEN="1920x1080x24"
  case " $* " in *720p*) SCREEN="1280x720x24" ;; esac
  say "no \$DISPLAY: the demo plays on a virtual screen (Xvfb, $SCREEN), where nothing can be seen;"
  say "  to see it, run ./run.sh in a desktop session (or over ssh -X); frames of it are in docs/demo-*.png"
  say "playing the demo with its sound (Ctrl+C ends it)"
  exec xvfb-run -a -s "-screen 0 $SCREEN" "$BUILD_DIR/morvane" "$@"
fi
say "playing the demo (Escape or Ctrl+C ends it)"
exec "$BUILD_DIR/morvane" "$@"
