#!/usr/bin/env bash
# Makes docs/screenshot.png: the program under Xvfb with the pointer at (X, Y), scaled x3 so single pixels show.
# Usage: scripts/screenshot.sh [X Y]   (run after make test has built build/test/fieldline)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/xvfb_session.sh
start_xvfb
start_program build/test/fieldline
xdotool mousemove --window "$window" "${1:-160}" "${2:-180}"
sleep 0.5
import -window "$window" -depth 8 rgb:- |
  convert -size 320x200 -depth 8 rgb:- -scale 300% -strip docs/screenshot.png
echo "wrote docs/screenshot.png"
