# shellcheck shell=bash disable=SC2034  # sets variables for the script that sources it
# Sourced by the window test and the scripts: a private Xvfb display (with,
# on request, a Wayland compositor in it), the program in it, and its picture
# as text. Everything started here is stopped on exit.

# Starts Xvfb on a free display and points DISPLAY at it; $XVFB_OPTIONS, if
# set, adds to its options.
start_xvfb() {
  # shellcheck disable=SC2086  # one option a word
  coproc XVFB { exec Xvfb -displayfd 1 -noreset -nolisten tcp ${XVFB_OPTIONS:-} -screen 0 1024x768x24 2>/dev/null; }
  xvfb_pid=$XVFB_PID
  local number
  # Xvfb dies if its -displayfd pipe closes before it has written the line.
  read -r -t 20 -u "${XVFB[0]}" number || { echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY=":$number"
  unset WAYLAND_DISPLAY
}

# Starts weston in the Xvfb display, on its X11 backend, with a socket and
# runtime folder of its own; programs started after it talk Wayland to it,
# with DISPLAY unset. (Not the headless backend: it has no input seat, and
# SDL2 2.26 crashes in SDL_Init without one.) Its window leaves the bottom of
# the screen free, for the pointer to come in from.
start_weston() {
  weston_runtime=$(mktemp -d)
  XDG_RUNTIME_DIR=$weston_runtime weston --backend=x11-backend.so --use-pixman \
    --socket=wayland-fieldline --width=640 --height=400 --idle-time=0 >/dev/null 2>&1 &
  weston_pid=$!
  local deadline=$((SECONDS + 20))
  weston_window=
  while [ -z "$weston_window" ] && [ "$SECONDS" -lt "$deadline" ]; do
    sleep 0.1
    [ -S "$weston_runtime/wayland-fieldline" ] &&
      weston_window=$(xdotool search --classname '^weston' 2>/dev/null | head -n 1)
  done
  [ -n "$weston_window" ] || { echo "weston did not start" >&2; return 1; }
  export XDG_RUNTIME_DIR=$weston_runtime WAYLAND_DISPLAY=wayland-fieldline
  # Weston draws the client's pointer cursor into its output, over the
  # picture: give clients a cursor theme whose arrow is one transparent pixel.
  mkdir -p "$weston_runtime/icons/invisible/cursors"
  # An Xcursor file: header, one table entry, one 1 x 1 transparent image of nominal size 24.
  printf '%b' 'Xcur\x10\x00\x00\x00\x00\x00\x01\x00\x01\x00\x00\x00' \
    '\x02\x00\xfd\xff\x18\x00\x00\x00\x1c\x00\x00\x00' \
    '\x24\x00\x00\x00\x02\x00\xfd\xff\x18\x00\x00\x00\x01\x00\x00\x00' \
    '\x01\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00' \
    '\x00\x00\x00\x00' >"$weston_runtime/icons/invisible/cursors/left_ptr"
  export XCURSOR_PATH=$weston_runtime/icons XCURSOR_THEME=invisible XCURSOR_SIZE=24
  # The desktop shell draws its panel after the window appears.
  sleep 1
}

# Starts the program ($1, then its arguments; or a launcher or wrapper
# first) with its standard output in $program_out, and waits for its window:
# $program_pid, $window. Under weston the window is weston's, and
# $picture_x, $picture_y say where in it the program's picture is.
start_program() {
  program_out=$(mktemp)
  picture_x=0
  picture_y=0
  if [ -n "${weston_window:-}" ]; then
    env -u DISPLAY "$@" >"$program_out" &
    program_pid=$!
    window=$weston_window
    locate_picture
    return
  fi
  "$@" >"$program_out" &
  program_pid=$!
  local deadline=$((SECONDS + ${WINDOW_TIMEOUT:-30}))
  window=
  while [ -z "$window" ] && [ "$SECONDS" -lt "$deadline" ] && kill -0 "$program_pid" 2>/dev/null; do
    sleep 0.1
    find_window
  done
  [ -n "$window" ] || { echo "no window appeared" >&2; return 1; }
}

# Sets $window to the program's visible X window, or to nothing.
find_window() {
  window=$(for pid in $(family "$program_pid"); do
    xdotool search --onlyvisible --pid "$pid" 2>/dev/null || true
  done | head -n 1)
  # The classic SDL on a 64-bit big-endian machine (s390x) labels its
  # window with a wrong pid: it hands Xlib a 32-bit pid where Xlib reads
  # a long. There, the one program's window is found by its class.
  [ -n "$window" ] || window=$(xdotool search --onlyvisible --classname '^fieldline' 2>/dev/null | head -n 1) || true
}

# The process $1 and every process under it: a launcher's program owns the window.
family() {
  local generation=$1
  while [ -n "$generation" ]; do
    echo "$generation"
    generation=$(for pid in $generation; do pgrep -P "$pid" || true; done)
  done
}

# Waits up to $1 seconds for the program to end; sets $program_status
# (124 if it is still running).
wait_for_program() {
  local deadline=$((SECONDS + $1))
  while kill -0 "$program_pid" 2>/dev/null && [ "$SECONDS" -lt "$deadline" ]; do sleep 0.05; done
  if kill -0 "$program_pid" 2>/dev/null; then
    program_status=124
  else
    program_status=0
    wait "$program_pid" || program_status=$?
    program_pid=
  fi
}

# Under weston: finds the picture in weston's output by its two markers at
# (240, 100) and (240, 66), which no line covers from the picture's corner
# (the shell places the window anywhere), within the window timeout.
locate_picture() {
  local deadline=$((SECONDS + ${WINDOW_TIMEOUT:-30})) found=
  while [ -z "$found" ] && [ "$SECONDS" -lt "$deadline" ] && kill -0 "$program_pid" 2>/dev/null; do
    sleep 0.2
    found=$(import -window "$window" -depth 8 rgb:- | od -An -v -tu1 -w3 |
      awk -v width="$(xwininfo -id "$window" | awk '/Width:/ { print $2 }')" '
        $1 == 255 && $2 == 255 && $3 == 255 { i = NR - 1; white[i % width "," int(i / width)] }
        END { for (p in white) { split(p, xy, ",")
                if ((xy[1] "," xy[2] - 34) in white) {
                  print xy[1] - 240, xy[2] - 100; exit } } }')
  done
  [ -n "$found" ] || { echo "no picture appeared" >&2; return 1; }
  read -r picture_x picture_y <<<"$found"
  # Weston's X11 backend moves its pointer by the X pointer's steps, and
  # takes the X pointer's place only when it enters weston's window: enter
  # it from the screen below it.
  xdotool mousemove 5 700
  sleep 0.2
  xdotool mousemove --window "$window" 3 3
  sleep 0.2
}

# Moves the pointer to ($1, $2) of the picture.
move_pointer() {
  xdotool mousemove --window "$window" -- $(($1 + picture_x)) $(($2 + picture_y))
}

# Waits up to $WINDOW_TIMEOUT (20) seconds for the window to show anything
# but black: the first frame, at any size (the enlarged window's picture is
# not at the picture's place). SDL2 without OpenGL (under qemu, or on a
# machine with no GL driver) replaces its first window when it falls back
# to drawing in software, so under X the window is looked for afresh until
# it draws; import, given a window that is gone, would wait for a click.
wait_for_first_frame() {
  local deadline=$((SECONDS + ${WINDOW_TIMEOUT:-20}))
  until [ "$SECONDS" -ge "$deadline" ]; do
    [ -n "${weston_window:-}" ] || find_window
    [ -n "$window" ] && xwininfo -id "$window" >/dev/null 2>&1 &&
      [ "$(import -window "$window" -depth 8 rgb:- 2>/dev/null | tr -d '\0' | wc -c)" -gt 0 ] && return
    sleep 0.1
  done
}

# Prints the picture's non-black pixels, one "x y red green blue" line each.
picture() {
  import -window "$window" -crop "320x200+$picture_x+$picture_y" -depth 8 rgb:- |
    od -An -v -tu1 -w3 | awk '$1 || $2 || $3 { i = NR - 1; print i % 320, int(i / 320), $1, $2, $3 }'
}

# Stops everything started here, whatever state it is in.
stop_session() {
  if [ -n "${program_pid:-}" ]; then
    # shellcheck disable=SC2046  # one pid a word
    kill -9 $(family "$program_pid") 2>/dev/null || true
    # Reaped here, the killed program is not reported as "Killed".
    wait "$program_pid" 2>/dev/null || true
  fi
  # Each is reaped too, so that a script may start another session after.
  if [ -n "${weston_pid:-}" ]; then { kill "$weston_pid" && wait "$weston_pid"; } 2>/dev/null || true; fi
  if [ -n "${weston_runtime:-}" ]; then rm -rf "$weston_runtime"; fi
  if [ -n "${xvfb_pid:-}" ]; then { kill "$xvfb_pid" && wait "$xvfb_pid"; } 2>/dev/null || true; fi
  if [ -n "${program_out:-}" ]; then rm -f "$program_out"; fi
  program_pid= weston_pid= weston_runtime= weston_window= xvfb_pid= program_out=
}
trap stop_session EXIT
