#!/usr/bin/env bash
# Makes docs/fieldline.gif: the real program under Xvfb while the pointer
# goes once round an ellipse across the picture, captured frame by frame and
# enlarged x2 with square pixels.
# Usage: scripts/animation.sh   (run after make test has built build/test/fieldline)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/xvfb_session.sh
frames=$(mktemp -d)
trap 'stop_session; rm -rf "$frames"' EXIT
start_xvfb
start_program build/test/fieldline
count=60 # at 10 frames a second: six seconds
for step in $(seq 0 $((count - 1))); do
  read -r x y < <(awk -v a="$step" -v n="$count" \
    'BEGIN { t = 2 * 3.14159265 * a / n; printf "%d %d\n", 170 + 100 * cos(t), 110 + 75 * sin(t) }')
  xdotool mousemove --window "$window" "$x" "$y"
  sleep 0.15
  import -window "$window" -depth 8 "$(printf '%s/%03d.png' "$frames" "$step")"
done
convert -delay 10 -loop 0 "$frames"/*.png -scale 200% -layers Optimize docs/fieldline.gif
echo "wrote docs/fieldline.gif ($(wc -c <docs/fieldline.gif) bytes)"
