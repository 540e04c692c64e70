# Shared by the scripts that drive a whole demo as a user would (sourced, not run): a work
# folder, the demo's process, waiting for things with a deadline. A script sets demo_pid when
# it starts the demo; whoever sources this may add to cleanup through extra_cleanup.

work=$(mktemp -d)
demo_pid=
extra_cleanup() { :; }
cleanup() {
  if [[ -n $demo_pid ]] && kill -0 "$demo_pid" 2>/dev/null; then kill -9 "$demo_pid" 2>/dev/null || true; fi
  extra_cleanup
  rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

# Polls a command until it succeeds; fails the test after $1 seconds.
poll() {
  local seconds=$1 what=$2
  shift 2
  local deadline=$((SECONDS + seconds))
  until "$@"; do
    ((SECONDS < deadline)) || fail "$what (waited ${seconds} s)"
    sleep 0.1
  done
}

# Gives window $1 the keyboard focus (there is no window manager to do it); fails the test
# when the window has not taken it within 10 s.
focus_window() {
  timeout 10 xdotool windowfocus --sync "$1" || fail "window $1 did not take the keyboard focus (waited 10 s)"
}

demo_alive() { kill -0 "$demo_pid" 2>/dev/null; }
demo_gone() { ! demo_alive; }

# Polls as poll does for something the running demo is to bring about; fails at once, with the
# demo's exit code, when the demo has ended without it.
poll_demo() {
  local seconds=$1 what=$2
  shift 2
  local deadline=$((SECONDS + seconds))
  until "$@"; do
    if demo_gone; then
      exit_code=0
      wait "$demo_pid" || exit_code=$?
      demo_pid=
      fail "$what: the demo ended first, with exit code $exit_code"
    fi
    ((SECONDS < deadline)) || fail "$what (waited ${seconds} s)"
    sleep 0.1
  done
}

# Sets exit_code once the demo has ended by itself within $1 seconds.
wait_for_exit() {
  poll "$1" "the demo did not end" demo_gone
  exit_code=0
  wait "$demo_pid" || exit_code=$?
  demo_pid=
}
