#!/usr/bin/env bash
# Builds the release twice, from two clones of the last commit in different
# folders, with umask 022 and 002, in different time zones, one after the
# other; every artifact must be byte for byte the same, or diffoscope says
# where it is not. The extracted sysroots are inputs, shared by both.
# Usage: scripts/check_reproducible.sh
set -euo pipefail
cd "$(dirname "$0")/.."
work=$PWD/build/reproducible
rm -rf "$work" && mkdir -p "$work"
for side in first second; do
  git clone -q --no-hardlinks . "$work/$side"
  for sysroot in build/cross/*/sysroot; do
    [ -d "$sysroot" ] || continue
    mkdir -p "$work/$side/$(dirname "$sysroot")" && cp -al "$sysroot" "$work/$side/$sysroot"
  done
done
(umask 022 && TZ=UTC make -C "$work/first" --no-print-directory release) >"$work/first.log" 2>&1 ||
  { tail -30 "$work/first.log"; exit 1; }
sleep 1
(umask 002 && TZ=Pacific/Auckland make -C "$work/second" --no-print-directory release) >"$work/second.log" 2>&1 ||
  { tail -30 "$work/second.log"; exit 1; }

different=0
for file in "$work"/first/build/release/*; do
  name=$(basename "$file")
  if cmp -s "$file" "$work/second/build/release/$name"; then
    echo "same: $name"
  else
    echo "DIFFERENT: $name"
    diffoscope --text - "$file" "$work/second/build/release/$name" | head -200 || true
    different=$((different + 1))
  fi
done
[ "$different" -eq 0 ] && echo "every artifact is byte for byte the same"
