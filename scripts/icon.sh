#!/usr/bin/env bash
# Makes the program's icon, packaging/icons/{48,256}.png: the real program under
# Xvfb traces field lines from a ring of starts around the positive source,
# and the pictures are laid over each other, cropped square and scaled.
# Usage: scripts/icon.sh   (run after make test has built build/test/fieldline)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/xvfb_session.sh
frames=$(mktemp -d)
trap 'stop_session; rm -rf "$frames"' EXIT
start_xvfb
start_program build/test/fieldline
# Twelve starts, 30 degrees apart, five pixels from the source at (240, 100).
for step in $(seq 0 11); do
  read -r x y < <(awk -v a="$step" 'BEGIN { t = a * 3.14159265 / 6; printf "%d %d\n", 240 + 5 * cos(t) + 0.5, 100 + 5 * sin(t) + 0.5 }')
  xdotool mousemove --window "$window" "$x" "$y"
  sleep 0.3
  import -window "$window" -depth 8 "$frames/$step.png"
done
# The part of the picture where the lines run, made square; then each size
# with the lines thickened and the sources drawn as white dots, so both
# still show when scaled down.
convert "$frames"/*.png -background black -compose lighten -flatten -crop 230x200+50+0 +repage \
  -gravity center -extent 230x230 "$frames/all.png"
icon() { # size, dot radius, line thickening
  convert "$frames/all.png" -morphology dilate "square:$3" -fill white \
    -draw "circle 190,115 $((190 + $2)),115" -draw "circle 190,81 $((190 + $2)),81" \
    -draw "circle 30,115 $((30 + $2)),115" -filter box -resize "$1x$1" -strip "packaging/icons/$1.png"
}
mkdir -p packaging/icons
icon 256 4 1
icon 48 9 2
echo "wrote packaging/icons/48.png and 256.png"
