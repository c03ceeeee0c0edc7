#!/usr/bin/env bash
# What the program's surroundings do to it: the display going away under it,
# and the signals a desktop session sends. Each row starts a fresh session.
# Usage: environment_faults_test.sh [--wayland] FIELDLINE
set -euo pipefail
wayland=
if [ "${1:-}" = --wayland ]; then wayland=1; shift; fi
program=$1
command -v Xvfb >/dev/null || { echo "SKIP: Xvfb is not installed"; exit 77; }
source "$(dirname "$0")/../scripts/xvfb_session.sh"
errors=$(mktemp)
trap 'stop_session; rm -f "$errors" "$errors.new"' EXIT
failures=0

# Reaped at once, a killed server is not reported as "Killed".
kill_display() { kill -KILL "$xvfb_pid" && wait "$xvfb_pid" 2>/dev/null || true; }
kill_compositor() { kill -KILL "$weston_pid" && wait "$weston_pid" 2>/dev/null || true; }
signal() { kill "-$1" "$program_pid"; }

# Xlib's report of a lost connection, in one of its two forms, chosen by
# the error its failed read returns (the classic SDL often meets the
# second); Xlib ends each line with CR LF.
xlib_report() {
  local display=${DISPLAY//./\\.} cr=$'\r'
  case $(wc -l <"$1") in
    1) grep -qxE "X connection to $display broken \(explicit kill or server shutdown\)\.$cr" "$1" ;;
    2) head -n 1 "$1" | grep -qxE "XIO:  fatal IO error [0-9]+ \([^)]*\) on X server \"$display\"$cr" &&
      tail -n 1 "$1" | grep -qxE " +after [0-9]+ requests \([0-9]+ known processed\) with [0-9]+ events remaining\.$cr" ;;
    *) false ;;
  esac
}
silence() { [ ! -s "$1" ]; }
anything() { true; }

# name | X11 or Wayland | what happens | exit status (- to record it; 124: still running) | when (after the first frame or the window) | what standard error gains
rows=(
  "X server killed while drawing|x11|kill_display|1|frame|xlib_report"
  "X server killed just after the window appears|x11|kill_display|1|window|xlib_report"
  "SIGTERM, as a session's end sends|x11|signal TERM|0|frame|silence"
  "SIGINT|x11|signal INT|0|frame|silence"
  "SIGPIPE, as a write to a lost display raises, is left to the display library|x11|signal PIPE|124|frame|silence"
  "compositor killed|wayland|kill_compositor|-|frame|anything"
)
for row in "${rows[@]}"; do
  IFS='|' read -r name session fault want_status when want_errors <<<"$row"
  [ "$session" = "$([ -n "$wayland" ] && echo wayland || echo x11)" ] || continue
  start_xvfb
  [ -z "$wayland" ] || start_weston
  # A background job starts with SIGINT ignored, and SDL leaves an ignored
  # signal alone; a program started from a terminal has it at its default.
  # exec keeps the pid: the program is what is signalled.
  start_program env --default-signal=INT sh -c 'exec "$0" 2>"$1"' "$program" "$errors"
  if [ "$when" = frame ]; then
    wait_for_first_frame
    move_pointer 160 100
    sleep 0.3
  fi
  lines_before=$(wc -l <"$errors")
  # shellcheck disable=SC2086  # the fault and its argument
  $fault
  # What a row proves is that the program ends (or, for SIGPIPE, that it
  # goes on), not how soon: a very busy machine can take seconds to let it
  # see its display gone.
  deadline=10
  [ "$want_status" != 124 ] || deadline=2
  wait_for_program "$deadline"
  problems=()
  if [ "$want_status" = - ]; then
    [ "$program_status" -ne 124 ] || problems+=("still running after $deadline s")
    echo "$name: exit status $program_status"
  elif [ "$program_status" -ne "$want_status" ]; then
    problems+=("status $program_status, want $want_status (124: still running after $deadline s)")
  fi
  [ ! -s "$program_out" ] || problems+=("standard output '$(cat "$program_out")'")
  tail -n +$((lines_before + 1)) "$errors" >"$errors.new"
  $want_errors "$errors.new" || problems+=("standard error, want $want_errors: '$(cat "$errors.new")'")
  if [ "${#problems[@]}" -eq 0 ]; then echo "ok: $name"; else
    echo "FAIL: $name: ${problems[*]}"
    failures=$((failures + 1))
  fi
  stop_session
done
[ "$failures" -eq 0 ]
