#!/usr/bin/env bash
# The whole demo under Xvfb, driven as a user would drive it.
#   demo_e2e.sh CASE DEMO X11_PROBE SWAP_COUNTER
# CASE: escape      800x600 screen: the window, the scene's frames, Escape ends it with 0
#       close       800x600 screen: a close request ends it with 0
#       mode_fails  1024x768 screen: the error box, dismissed; exit 1 and no frame drawn
#       no_sound    800x600 screen, no usable sound device: exit 1 at once, no frame drawn
#       sound       800x600 screen, SDL's disk driver: what the device played is the song as
#                   xmrender renders it (needs XMRENDER, PCM_MATCH and SONG)
set -euo pipefail

case_name=$1 demo=$2 probe=$3 counter=$4

if [[ -z "${TARVELON_E2E_INSIDE_X:-}" ]]; then
  command -v xvfb-run >/dev/null || { echo "xvfb-run is missing (package xvfb)" >&2; exit 1; }
  screen=800x600x16
  [[ $case_name == mode_fails ]] && screen=1024x768x16
  export TARVELON_E2E_INSIDE_X=1
  # Other tests start X servers too; starting the search for a free display number away from
  # the usual 99 keeps two that start at once from picking the same one.
  exec xvfb-run -a -n $((200 + $$ % 500)) -s "-screen 0 $screen" bash "$0" "$@"
fi

source "$(dirname "$0")/../support/demo_driver.sh"

find_window() { "$probe" find "$1" >"$work/found" 2>/dev/null; }

# A frame of the scene is on the screen: the five points are not all one colour, as they are
# in a window nothing has drawn into yet.
is_drawn() {
  local x y pixel colours=()
  for point in "400 300" "0 0" "799 0" "0 599" "799 599"; do
    read -r x y <<<"$point"
    pixel=$("$probe" pixel "$x" "$y") || return 1
    colours+=("$pixel")
  done
  (($(printf '%s\n' "${colours[@]}" | sort -u | wc -l) > 1))
}

# True once what the device has played so far holds $1 s of the song, every frame as xmrender
# renders it; fails the test at the first frame that differs.
played_as_rendered() {
  local code=0
  "$PCM_MATCH" "$work/played.raw" "$work/render.wav" "$1" >"$work/match" 2>&1 || code=$?
  ((code != 1)) || fail "the device did not play what xmrender renders: $(cat "$work/match")"
  ((code == 0))
}

swaps() {
  [[ -f $work/swaps ]] || fail "the demo did not end normally (no frame count written)"
  awk '/^swaps/ {print $2}' "$work/swaps"
}

start_demo() {
  TARVELON_SWAP_COUNT_FILE="$work/swaps" LD_PRELOAD="$counter" "$demo" &
  demo_pid=$!
}

check_window() {
  poll_demo 30 "no window titled 'OpenGL Deneme'" find_window "OpenGL Deneme"
  window=$(head -n1 "$work/found")
  local geometry
  geometry=$(xdotool getwindowgeometry "$window")
  grep -q "Position: 0,0 " <<<"$geometry" || fail "window not at the top-left corner: $geometry"
  grep -q "Geometry: 800x600" <<<"$geometry" || fail "window not 800x600: $geometry"
  xdotool search --class '^SolvaTorn$' | grep -qx "$window" || fail "window not of the class SolvaTorn"
  echo "window $window of the class SolvaTorn at 0,0, 800x600"
}

case $case_name in
  escape)
    start_demo
    check_window
    poll_demo 30 "no frame of the scene on the screen" is_drawn
    echo "the scene is on the screen"
    xdotool key space Return a
    sleep 0.3
    demo_alive || fail "a key other than Escape ended the demo"
    xdotool key Escape
    wait_for_exit 30
    [[ $exit_code == 0 ]] || fail "exit code $exit_code after Escape, expected 0"
    frames=$(swaps)
    ((frames > 0)) || fail "no frame was presented"
    echo "Escape ended the demo with exit code 0 after $frames frames"
    ;;
  close)
    start_demo
    check_window
    poll_demo 30 "no frame of the scene on the screen" is_drawn
    "$probe" close "$window" || fail "could not send the close request"
    wait_for_exit 30
    [[ $exit_code == 0 ]] || fail "exit code $exit_code after a close request, expected 0"
    echo "a close request ended the demo with exit code 0 after $(swaps) frames"
    ;;
  mode_fails)
    start_demo
    poll_demo 30 "no error box titled 'Hata'" find_window "Hata"
    box=$(head -n1 "$work/found")
    echo "error box $box is up"
    demo_alive || fail "the demo ended while its error box was up"
    # The box takes its keys from the focus; Return presses its only button.
    focus_window "$box"
    xdotool key Return
    wait_for_exit 30
    [[ $exit_code == 1 ]] || fail "exit code $exit_code after the failed mode change, expected 1"
    frames=$(swaps)
    [[ $frames == 0 ]] || fail "$frames frames were presented after the failed mode change"
    echo "the box was dismissed and the demo ended with exit code 1, no frame drawn"
    ;;
  no_sound)
    SDL_AUDIODRIVER=no-such-driver start_demo
    wait_for_exit 30
    [[ $exit_code == 1 ]] || fail "exit code $exit_code without a sound device, expected 1"
    frames=$(swaps)
    [[ $frames == 0 ]] || fail "$frames frames were presented without a sound device"
    echo "without a sound device the demo ended with exit code 1, no frame drawn"
    ;;
  sound)
    "$XMRENDER" "$SONG" "$work/render.wav" --seconds 10 >/dev/null 2>&1 || fail "xmrender could not render the song"
    SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/played.raw" start_demo
    check_window
    # However long the start takes on a busy machine, Escape comes once the device has played
    # four seconds of the song.
    poll_demo 60 "the device did not play 4 s of the song" played_as_rendered 4
    xdotool key Escape
    wait_for_exit 30
    [[ $exit_code == 0 ]] || fail "exit code $exit_code after Escape, expected 0"
    played_as_rendered 4 || fail "the device played less than 4 s of the song: $(cat "$work/match")"
    cat "$work/match"
    ;;
  *)
    fail "unknown case $case_name"
    ;;
esac
