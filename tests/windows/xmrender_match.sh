#!/usr/bin/env bash
# xmrender.exe under wine writes the same bytes as the native xmrender, module by module.
#   xmrender_match.sh XMRENDER_EXE NATIVE_XMRENDER SONG.xm MODULE.xm...
# The embedded song is rendered whole; the other modules for their first 10 seconds.
set -euo pipefail

exe=$1 native=$2 song=$3
shift 3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failed=0
render_both() {
  local module=$1 name
  shift
  name=$(basename "$module" .xm)
  "$native" "$module" "$work/$name.native.wav" "$@" >/dev/null 2>&1 || { echo "FAIL: native xmrender failed on $name"; failed=1; return; }
  wine "$exe" "$module" "$work/$name.wine.wav" "$@" >/dev/null 2>&1 || { echo "FAIL: xmrender.exe failed on $name"; failed=1; return; }
  if cmp -s "$work/$name.native.wav" "$work/$name.wine.wav"; then
    echo "same bytes: $name ($(stat -c %s "$work/$name.wine.wav") bytes)"
  else
    echo "FAIL: $name differs: $(cmp "$work/$name.native.wav" "$work/$name.wine.wav" | head -n1)"
    failed=1
  fi
}

render_both "$song"
for module in "$@"; do render_both "$module" --seconds 10; done
exit "$failed"
