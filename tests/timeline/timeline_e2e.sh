#!/usr/bin/env bash
# The whole demo, start to end, under Xvfb with the sound recorded by SDL's disk driver in
# real time: it must end by itself with exit code 0 once the clock passes 70 s, after about
# 74 s of sound, and the last frame it presents must have been drawn with a clock past 70,000.
#   timeline_e2e.sh DEMO CLOCK_PROBE
set -euo pipefail

demo=$1 probe=$2

if [[ -z "${TARVELON_E2E_INSIDE_X:-}" ]]; then
  command -v xvfb-run >/dev/null || { echo "xvfb-run is missing (package xvfb)" >&2; exit 1; }
  export TARVELON_E2E_INSIDE_X=1
  exec xvfb-run -a -n $((200 + $$ % 500)) -s "-screen 0 800x600x16" bash "$0" "$@"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

start=$SECONDS
status=0
# The probe goes into the demo only, not into timeout, whose own exit would write the record last.
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/sound.raw" TARVELON_CLOCK_FILE="$work/clock" \
  timeout 150 env LD_PRELOAD="$probe" "$demo" || status=$?
elapsed=$((SECONDS - start))

[[ $status != 124 ]] || fail "the demo did not end by itself within 150 s"
[[ $status == 0 ]] || fail "exit code $status, expected 0"
[[ -f $work/clock ]] || fail "no clock record: the demo did not end normally"
cat "$work/clock"
frames=$(awk '/^frames/ {print $2}' "$work/clock")
last=$(awk '/^last_clock/ {print $2}' "$work/clock")
((frames > 0)) || fail "no frame was presented"
((last > 70000)) || fail "the last frame was drawn at clock $last, expected past 70000"
((last < 71000)) || fail "the last frame was drawn at clock $last, long after the end at 70000"

bytes=$(stat -c %s "$work/sound.raw")
# 44,100 frames of 4 bytes per second of sound.
tenths=$((bytes * 10 / 176400))
echo "ran $elapsed s, $frames frames, $((tenths / 10)).$((tenths % 10)) s of sound recorded"
((tenths >= 700 && tenths <= 790)) || fail "$((tenths / 10)).$((tenths % 10)) s of sound, expected about 74"
echo "the demo played its whole timeline and ended with exit code 0"
