#!/usr/bin/env bash
# fieldline under valgrind memcheck in a real window, then its resident memory over 30 seconds of a moving pointer.
# Usage: scripts/memcheck.sh FIELDLINE   (fails on any memcheck error or a resident-memory change over 1 MiB)
set -euo pipefail
program=$1
here=$(cd "$(dirname "$0")/.." && pwd)
source "$here/scripts/xvfb_session.sh"
log=$(mktemp)
trap 'stop_session; rm -f "$log"' EXIT
start_xvfb

# Every point along a diagonal of the picture, then a rest on each source.
point() { xdotool mousemove --window "$window" -- "$1" "$2"; sleep "${3:-0}"; }
cross_the_picture() { for i in $(seq 0 10 320); do point "$i" $((i * 200 / 320)) 0.02; done; }

echo "memcheck: the pointer crosses the picture, rests on each source, drags out; then Escape"
WINDOW_TIMEOUT=300 start_program valgrind --error-exitcode=99 --leak-check=full \
  --errors-for-leak-kinds=definite,indirect,possible --track-origins=yes --num-callers=50 \
  --child-silent-after-fork=yes --suppressions="$here/scripts/memcheck.supp" --log-file="$log" \
  "$program"
WINDOW_TIMEOUT=300 wait_for_first_frame
cross_the_picture
for source in "240 100" "240 66" "80 100"; do
  # shellcheck disable=SC2086
  point $source 1
done
point 160 100 && xdotool mousedown 1 && point -60 -40 1 && xdotool mouseup 1
xdotool keydown Escape
wait_for_program 300
xdotool keyup Escape
grep -E "ERROR SUMMARY|definitely lost|indirectly lost|possibly lost|suppressed:" "$log" | sed 's/^==[0-9]*== */  /'
if [ "$program_status" -ne 0 ]; then
  cat "$log"
  echo "memcheck: FAILED (status $program_status)"
  exit 1
fi

echo "resident memory: 30 seconds with the pointer moving"
start_program "$program"
wait_for_first_frame
rss() { awk '/^VmRSS/ { print $2 }' "/proc/$program_pid/status"; }
sleep 1
first=$(rss)
deadline=$((SECONDS + 29))
while [ "$SECONDS" -lt "$deadline" ]; do cross_the_picture; done
last=$(rss)
xdotool keydown Escape
wait_for_program 10
xdotool keyup Escape
echo "  after 1 s: $first KiB; after 30 s: $last KiB; change $((last - first)) KiB"
if [ $((last - first)) -gt 1024 ] || [ $((first - last)) -gt 1024 ]; then
  echo "resident memory: FAILED (changed by more than 1 MiB)"
  exit 1
fi
echo "memcheck and resident memory: passed"
