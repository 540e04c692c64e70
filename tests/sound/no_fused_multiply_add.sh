#!/usr/bin/env bash
# No product in the player, the mixer or the song's synthesis is fused into its sum: their
# object code holds no fused multiply-add, which rounds once where the source rounds twice.
# Whether a fused product changes the bits depends on the values, so the renders alone would
# not show every one.
#   no_fused_multiply_add.sh OBJECT...   (those of src/player, src/sound and tools/xmsong count)
set -euo pipefail

checked=0
found=()
for object in "$@"; do
  case $object in */src/player/* | */src/sound/* | */xmsong*) ;; *) continue ;; esac
  count=$(objdump -d --no-show-raw-insn "$object" | grep -cE '[[:space:]]vfn?m(add|sub)(add|sub)?[0-9]{3}') || true
  checked=$((checked + 1))
  ((count == 0)) || found+=("$(basename "$object"): $count")
done
((checked > 0)) || { echo "FAIL: no object file of the player, the mixer or the synthesis was given" >&2; exit 1; }
((${#found[@]} == 0)) || { echo "FAIL: fused multiply-adds in ${found[*]}" >&2; exit 1; }
echo "$checked object files, no fused multiply-add"
