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

# Starts the program ($1, then its arguments; or a launcher or wrapper
# first) with its standard output in $program_out, and waits for its window:
# $program_pid, $window.
start_program() {
  program_out=$(mktemp)
  "$@" >"$program_out" &
  program_pid=$!
  local deadline=$((SECONDS + ${WINDOW_TIMEOUT:-30}))
  window=
  while [ -z "$window" ] && [ "$SECONDS" -lt "$deadline" ] && kill -0 "$program_pid" 2>/dev/null; do
    sleep 0.1
    window=$(for pid in $(family "$program_pid"); do
      xdotool search --onlyvisible --pid "$pid" 2>/dev/null || true
    done | head -n 1)
  done
  [ -n "$window" ] || { echo "no window appeared" >&2; return 1; }
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

# Prints the window's non-black pixels, one "x y red green blue" line each.
picture() {
  import -window "$window" -depth 8 rgb:- | od -An -v -tu1 -w3 |
    awk '$1 || $2 || $3 { i = NR - 1; print i % 320, int(i / 320), $1, $2, $3 }'
}

# Stops everything started here, whatever state it is in.
stop_session() {
  if [ -n "${program_pid:-}" ]; then
    # shellcheck disable=SC2046  # one pid a word
    kill -9 $(family "$program_pid") 2>/dev/null || true
  fi
  if [ -n "${xvfb_pid:-}" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  if [ -n "${program_out:-}" ]; then rm -f "$program_out"; fi
}
trap stop_session EXIT
