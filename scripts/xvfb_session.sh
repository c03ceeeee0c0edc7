# shellcheck shell=bash disable=SC2034  # sets variables for the script that sources it
# Sourced by the window test and the scripts: a private Xvfb display, the program
# in it, and its picture as text. Everything started here is stopped on exit.

# Starts Xvfb on a free display and points DISPLAY at it.
start_xvfb() {
  coproc XVFB { exec Xvfb -displayfd 1 -noreset -nolisten tcp -screen 0 640x480x24 2>/dev/null; }
  xvfb_pid=$XVFB_PID
  local number
  # Xvfb dies if its -displayfd pipe closes before it has written the line.
  read -r -t 20 -u "${XVFB[0]}" number || { echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY=":$number"
  unset WAYLAND_DISPLAY
}

# Starts the program ($1, then any wrapper arguments before it) with its
# standard output in $program_out, and waits for its window: $program_pid,
# $window.
start_program() {
  program_out=$(mktemp)
  "$@" >"$program_out" &
  program_pid=$!
  window=$(timeout "${WINDOW_TIMEOUT:-30}" xdotool search --sync --onlyvisible --pid "$program_pid" | head -n 1)
  [ -n "$window" ] || { echo "no window appeared" >&2; return 1; }
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

# Prints the window's non-black pixels, one "x y red green blue" line each.
picture() {
  import -window "$window" -depth 8 rgb:- | od -An -v -tu1 -w3 |
    awk '$1 || $2 || $3 { i = NR - 1; print i % 320, int(i / 320), $1, $2, $3 }'
}

stop_session() {
  [ -n "${program_pid:-}" ] && kill -9 "$program_pid" 2>/dev/null
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null
  [ -n "${program_out:-}" ] && rm -f "$program_out"
  true
}
trap stop_session EXIT
