#!/usr/bin/env bash
# tarvelon.exe under wine on a virtual screen, driven as a user would drive it.
#   demo_wine.sh CASE TARVELON_EXE [NATIVE_XMRENDER SONG.xm]
# CASE: escape      800x600 screen: the window at (0, 0), the scene drawn, Escape ends it with 0
#       close       Alt+F4, which Windows turns into a close request: exit 0
#       mode_fails  1024x768 screen: the "Hata" box, dismissed with Return; exit 1, no frame
#       no_sound    wine's sound drivers off: exit 1 before any frame
#       sound       what waveOut played (ALSA's file plugin over a null sink) is the song as the
#                   native xmrender renders it, byte for byte
# WINEPREFIX must name a prefix made ready by wineboot; each case runs its own wine server
# inside its own X server (a server started without a display cannot open windows later).
# Frames are counted from wine's WGL trace, one line per buffer swap.
set -euo pipefail

case_name=$1 demo=$2

if [[ -z ${TARVELON_WINE_INSIDE_X:-} ]]; then
  screen=800x600x16
  [[ $case_name == mode_fails ]] && screen=1024x768x16
  export TARVELON_WINE_INSIDE_X=1
  exec xvfb-run -a -n $((200 + $$ % 500)) -s "-screen 0 $screen" bash "$0" "$@"
fi

source "$(dirname "$0")/../support/demo_driver.sh"
extra_cleanup() { wineserver -k 2>/dev/null || true; }

# The default ALSA device of wine's driver: a null sink, recording into $1 when given.
sound_device() {
  if [[ -n ${1:-} ]]; then
    printf 'pcm.!default { type file slave.pcm { type null } file "%s" format "raw" }\n' "$1"
  else
    printf 'pcm.!default { type null }\n'
  fi >"$work/asound.conf"
  export ALSA_CONFIG_PATH=$work/asound.conf
}

start_demo() {
  WINEDEBUG=-all,trace+wgl wine "$demo" 2>"$work/wine.log" &
  demo_pid=$!
}

frames() { grep -c 'wglSwapBuffers' "$work/wine.log" || true; }

find_window() { xdotool search --name "^$1\$" 2>/dev/null | head -n1 >"$work/found" && [[ -s $work/found ]]; }

# Share of the screen's pixels that are not black, in percent.
lit_percent() {
  local lit
  lit=$(ffmpeg -loglevel error -f x11grab -video_size "$1" -i "$DISPLAY" -frames:v 1 -f rawvideo -pix_fmt gray - |
        tr -d '\000' | wc -c)
  echo $((lit * 100 / $2))
}
is_drawn() { (($(lit_percent 800x600 480000) >= 20)); }

check_window() {
  poll_demo 60 "no window titled 'OpenGL Deneme'" find_window "OpenGL Deneme"
  window=$(cat "$work/found")
  local geometry
  geometry=$(xdotool getwindowgeometry "$window")
  grep -q "Position: 0,0 " <<<"$geometry" || fail "window not at the top-left corner: $geometry"
  grep -q "Geometry: 800x600" <<<"$geometry" || fail "window not 800x600: $geometry"
  echo "window $window at 0,0, 800x600"
}

# A fresh server that knows this display.
wineserver -k 2>/dev/null || true
wineserver -p

case $case_name in
  escape)
    sound_device
    start_demo
    check_window
    poll_demo 60 "the scene is not on the screen (it stays black)" is_drawn
    echo "the scene is on the screen"
    # No window manager: the focus is given by hand before any key.
    focus_window "$window"
    xdotool key space Return a
    sleep 0.5
    demo_alive || fail "a key other than Escape ended the demo"
    xdotool key Escape
    wait_for_exit 20
    [[ $exit_code == 0 ]] || fail "exit code $exit_code after Escape, expected 0"
    ((frames=$(frames), frames > 0)) || fail "no frame was presented"
    echo "Escape ended the demo with exit code 0 after $frames frames"
    ;;
  close)
    sound_device
    start_demo
    check_window
    poll_demo 60 "the scene is not on the screen (it stays black)" is_drawn
    focus_window "$window"
    xdotool key alt+F4
    wait_for_exit 20
    [[ $exit_code == 0 ]] || fail "exit code $exit_code after Alt+F4, expected 0"
    echo "Alt+F4 ended the demo with exit code 0 after $(frames) frames"
    ;;
  mode_fails)
    sound_device
    start_demo
    poll_demo 60 "no error box titled 'Hata'" find_window "Hata"
    box=$(cat "$work/found")
    echo "error box $box is up"
    demo_alive || fail "the demo ended while its error box was up"
    focus_window "$box"
    xdotool key Return
    wait_for_exit 20
    [[ $exit_code == 1 ]] || fail "exit code $exit_code after the failed mode change, expected 1"
    [[ $(frames) == 0 ]] || fail "$(frames) frames were presented after the failed mode change"
    echo "the box was dismissed and the demo ended with exit code 1, no frame drawn"
    ;;
  no_sound)
    WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winealsa.drv,winepulse.drv,wineoss.drv=d" start_demo
    wait_for_exit 60
    [[ $exit_code == 1 ]] || fail "exit code $exit_code without a sound device, expected 1"
    [[ $(frames) == 0 ]] || fail "$(frames) frames were presented without a sound device"
    echo "without a sound device the demo ended with exit code 1, no frame drawn"
    ;;
  sound)
    native_xmrender=$3 song=$4
    sound_device "$work/played.raw"
    start_demo
    check_window
    sleep 3
    focus_window "$window"
    xdotool key Escape
    wait_for_exit 20
    [[ $exit_code == 0 ]] || fail "exit code $exit_code after Escape, expected 0"
    # The null sink takes the sound faster than it plays: compare what was played, not when.
    "$native_xmrender" "$song" "$work/render.wav" >/dev/null 2>&1 || fail "xmrender could not render the song"
    tail -c +45 "$work/render.wav" >"$work/render.raw"
    played=$(stat -c %s "$work/played.raw")
    ((played >= 44100 * 4 * 3)) || fail "only $played bytes were played"
    ((played <= $(stat -c %s "$work/render.raw"))) || fail "more was played ($played bytes) than the song holds"
    cmp -n "$played" "$work/played.raw" "$work/render.raw" || fail "the device did not play what xmrender renders"
    echo "the device played $played bytes, each one as xmrender renders it"
    ;;
  *)
    fail "unknown case $case_name"
    ;;
esac
