#!/usr/bin/env bash
# Makes every picture of the program from the real thing under Xvfb, in one run:
# docs/screenshot.png (pointer at (160, 180), x3), docs/fieldline.gif (the
# pointer once round an ellipse, x2) and the icons, platforms/linux/icons/{48,256}.png
# and platforms/web/icons/{192,512}.png (lines from a ring of starts round the
# positive source, laid over each other).
# Usage: scripts/pictures.sh   (run after make test has built build/test/fieldline)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/xvfb_session.sh
frames=$(mktemp -d)
trap 'stop_session; rm -rf "$frames"' EXIT
start_xvfb
start_program build/test/fieldline
wait_for_first_frame

# Points the pointer at ($1, $2) and captures the picture into $3.
capture() {
  xdotool mousemove --window "$window" "$1" "$2"
  sleep 0.15
  import -window "$window" -depth 8 "$3"
}
# The $1-th of $2 points round an ellipse centred ($3, $4) with radii $5, $6.
on_ellipse() {
  awk -v a="$1" -v n="$2" -v cx="$3" -v cy="$4" -v rx="$5" -v ry="$6" \
    'BEGIN { t = 2 * 3.14159265 * a / n; printf "%d %d\n", cx + rx * cos(t) + 0.5, cy + ry * sin(t) + 0.5 }'
}

capture 160 180 "$frames/still.png"
convert "$frames/still.png" -scale 300% -strip docs/screenshot.png

mkdir -p "$frames/gif" "$frames/icon"
for step in $(seq 0 59); do # at 10 frames a second: six seconds
  # shellcheck disable=SC2046
  capture $(on_ellipse "$step" 60 170 110 100 75) "$(printf '%s/gif/%03d.png' "$frames" "$step")"
done
convert -delay 10 -loop 0 "$frames"/gif/*.png -scale 200% -layers Optimize docs/fieldline.gif

for step in $(seq 0 11); do
  # shellcheck disable=SC2046
  capture $(on_ellipse "$step" 12 240 100 5 5) "$frames/icon/$step.png"
done
# The part of the picture where the lines run, made square; then each size
# with the lines thickened and the sources drawn as white dots, so both
# still show when scaled down.
convert "$frames"/icon/*.png -background black -compose lighten -flatten \
  -crop 230x200+50+0 +repage -gravity center -extent 230x230 "$frames/icon.png"
icon() { # folder, size, dot radius, line thickening
  mkdir -p "$1"
  convert "$frames/icon.png" -morphology dilate "square:$4" -fill white \
    -draw "circle 190,115 $((190 + $3)),115" -draw "circle 190,81 $((190 + $3)),81" \
    -draw "circle 30,115 $((30 + $3)),115" -filter box -resize "$2x$2" -strip "$1/$2.png"
}
icon platforms/linux/icons 256 4 1
icon platforms/linux/icons 48 9 2
icon platforms/web/icons 192 5 1
icon platforms/web/icons 512 3 1
echo "wrote docs/screenshot.png, docs/fieldline.gif ($(wc -c <docs/fieldline.gif) bytes)," \
  "platforms/linux/icons/48.png and 256.png, platforms/web/icons/192.png and 512.png"
