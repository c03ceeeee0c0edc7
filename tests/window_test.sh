#!/usr/bin/env bash
# The program in a real X window under Xvfb: what it draws where the pointer
# is, what input changes nothing, and the two ways to quit.
# Usage: window_test.sh [--launcher COMMAND] [--wayland] [--reference PROGRAM] FIELDLINE SEND_CLOSE_REQUEST
#   COMMAND runs FIELDLINE, e.g. platforms/windows/wine_launcher.sh for a Windows build;
#   --wayland runs it under weston, which asks it to quit by SIGTERM instead;
#   --reference: at every pointer position FIELDLINE's window must be byte
#   for byte that of PROGRAM (the native build), run without the launcher.
set -euo pipefail
launcher=()
wayland=
reference=
while [ $# -gt 2 ]; do
  case $1 in
    --launcher) launcher=("$2") && shift ;;
    --wayland) wayland=1 ;;
    --reference) reference=$2 && shift ;;
  esac
  shift
done
program=$1
send_close_request=$2
command -v Xvfb >/dev/null || { echo "SKIP: Xvfb is not installed"; exit 77; }
source "$(dirname "$0")/../scripts/xvfb_session.sh"

passed=0
failed=0
check() { # name, then a command that must succeed
  local name=$1
  shift
  if "$@"; then passed=$((passed + 1)); else echo "FAIL: $name"; failed=$((failed + 1)); fi
}
# The same for what the window must come to show: on a busy machine the
# frame after a move may be a while coming. How long is not what any row
# proves, so the wait is generous; a failure still fails at its end.
check_soon() {
  local deadline=$((SECONDS + 15))
  until "${@:2}" >/dev/null 2>&1; do
    [ "$SECONDS" -lt "$deadline" ] || break
    sleep 0.1
  done
  check "$@"
}

# Holds for every picture: only yellow and white on black, white only at the
# markers, each marker lit (the line may pass over one), at most 203 lit
# pixels; every pixel in $1 ("x,y ...") yellow and every one in $2 white.
picture_shows() {
  local shot
  shot=$(picture)
  awk -v want="$1" -v white="${2:-}" '
    !(($3 == 255 && $4 == 255) && ($5 == 255 || $5 == 0)) { print "stray colour:", $0; bad = 1 }
    { lit++; colour[$1 "," $2] = $5 == 255 ? "white" : "yellow" }
    END {
      split("240,100 240,66 80,100", markers, " ")
      for (i in markers) { if (!(markers[i] in colour)) { print "no marker at", markers[i]; bad = 1 }; marker[markers[i]] }
      for (p in colour) if (colour[p] == "white" && !(p in marker)) { print "white off the markers:", p; bad = 1 }
      n = split(want, line, " ")
      for (i = 1; i <= n; i++) if (colour[line[i]] != "yellow") { print "not yellow:", line[i]; bad = 1 }
      n = split(white, lone, " ")
      for (i = 1; i <= n; i++) if (colour[lone[i]] != "white") { print "not white:", lone[i]; bad = 1 }
      if (lit > 203) { print lit, "lit pixels"; bad = 1 }
      exit bad
    }' <<<"$shot"
}
lit_pixels_are() { [ "$(picture | wc -l)" -eq "$1" ]; }
same_picture_as() { [ "$(picture)" = "$1" ]; }
point_at() { move_pointer "$1" "$2"; }
running() { kill -0 "$program_pid" 2>/dev/null; }

# Xvfb starts the pointer at the picture's (160, 100), where the first case
# points; a move there would then be no move at all, and Wine, for one, would
# never tell the program where the pointer is. Start it elsewhere.
start_xvfb
xdotool mousemove 1 1
[ -z "$wayland" ] || start_weston
start_program "${launcher[@]}" "$program"
wait_for_first_frame
window_size() { xwininfo -id "$window" | awk '/Width:|Height:/ { printf "%s ", $2 }'; }
if [ -n "$wayland" ]; then
  check "SDL chose Wayland" grep -q libwayland-client "/proc/$program_pid/maps"
else
  check "a 320 x 200 window" test "$(window_size)" = "320 200 "
fi

mapfile -t pointer_cases < <(grep -v '^#' "$(dirname "$0")/pointer_cases.txt")
shots=$(mktemp -d)
trap 'stop_session; rm -rf "$shots"' EXIT
for i in "${!pointer_cases[@]}"; do
  IFS="|" read -r name pointer yellow count _ <<<"${pointer_cases[$i]}"
  # shellcheck disable=SC2086
  point_at $pointer
  # These lines end beside their sink, so no marker is drawn over.
  check_soon "$name" picture_shows "$yellow" "240,100 240,66 80,100"
  [ -z "$count" ] || check_soon "$name: $count lit pixels" lit_pixels_are "$count"
  import -window "$window" -depth 8 rgb:- >"$shots/$i"
done

# A drag that leaves the window: drawing goes on, and follows the pointer back.
point_at 160 100
xdotool mousedown 1
point_at -60 -40
check_soon "drag outside the window: still drawing" picture_shows ""
check "drag outside the window: still running" running
point_at 250 100
check_soon "drag back in: the line follows" picture_shows "250,99 251,99 252,99 253,99 254,99"
xdotool mouseup 1

# Other keys and mouse clicks change nothing. The move after them shows
# that the program has read them: it drains its events in order.
point_at 160 100
check_soon "other keys and clicks: before" picture_shows "159,99 158,99"
before=$(picture)
xdotool key a space Return Tab F1 && xdotool click 1 && xdotool click 3
point_at 250 100
check_soon "other keys and clicks: read" picture_shows "250,99 251,99 252,99"
check "other keys and clicks: still running" running
point_at 160 100
check_soon "other keys and clicks: same picture" same_picture_as "$before"

# sdl12-compat (SDL 1.2 on SDL2) enlarges the window on request (below).
scaling=
if [ -z "$wayland" ] && grep -q libSDL2 "/proc/$program_pid/maps"; then scaling=1; fi

# Escape held ends the program cleanly and silently.
xdotool keydown Escape
wait_for_program 30
xdotool keyup Escape
check "Escape held: exit status 0" test "$program_status" -eq 0
check "Escape held: nothing on standard output" test ! -s "$program_out"

# So does the window's close request; under weston, whose window is the
# compositor's own, the quit event comes from SIGTERM.
start_program "${launcher[@]}" "$program"
wait_for_first_frame
if [ -n "$wayland" ]; then
  kill -TERM "$program_pid"
  quit=SIGTERM
else
  "$send_close_request" "$window"
  quit="close request"
fi
wait_for_program 30
check "$quit: exit status 0" test "$program_status" -eq 0
check "$quit: nothing on standard output" test ! -s "$program_out"

# Three times enlarged with sharp pixels, the window shows the same pictures,
# and pointer positions map back: window point (3x + 1, 3y + 1) is (x, y).
if [ -n "$scaling" ]; then
  start_program env SDL12COMPAT_WINDOW_SCALING=3 SDL12COMPAT_SCALE_METHOD=nearest "${launcher[@]}" "$program"
  wait_for_first_frame
  check "x3: a 960 x 600 window" test "$(window_size)" = "960 600 "
  xdotool mousemove --window "$window" 10 10
  for i in "${!pointer_cases[@]}"; do
    IFS='|' read -r name pointer _ <<<"${pointer_cases[$i]}"
    read -r x y <<<"$pointer"
    xdotool mousemove --window "$window" $((3 * x + 1)) $((3 * y + 1))
    convert -size 320x200 -depth 8 "rgb:$shots/$i" -scale 300% -depth 8 "rgb:$shots/$i.x3"
    shows_x3() { import -window "$window" -depth 8 rgb:- | cmp -s - "$shots/$i.x3"; }
    check_soon "x3: $name, the x1 picture enlarged" shows_x3
  done
  kill -TERM "$program_pid"
  wait_for_program 10
fi

# The same picture, byte for byte, as the reference build's at every
# position: a float or rounding difference on another machine shows here.
if [ -n "$reference" ]; then
  xdotool mousemove 1 1
  start_program "$reference"
  wait_for_first_frame
  for i in "${!pointer_cases[@]}"; do
    IFS='|' read -r name pointer _ <<<"${pointer_cases[$i]}"
    # shellcheck disable=SC2086
    point_at $pointer
    shows_reference() { import -window "$window" -depth 8 rgb:- | cmp -s - "$shots/$i"; }
    check_soon "$name: the reference's picture" shows_reference
  done
  kill -TERM "$program_pid"
  wait_for_program 10
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
