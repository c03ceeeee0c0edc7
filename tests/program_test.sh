#!/usr/bin/env bash
# The built program's start-up failures and clean quit, without a display.
set -euo pipefail
program=$1
out=$(mktemp)
trap 'rm -f "$out"; [ -n "${pid:-}" ] && kill -9 "$pid" 2>/dev/null; true' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# name | arguments to env | expected stdout (a pattern for the whole output)
start_failures=(
  "unknown video driver|SDL_VIDEODRIVER=no-such-driver|Couldn't initialize SDL: *"
  # TERM is set: with none, the classic SDL's text-mode driver ends the process itself.
  "no display, no driver named|-u SDL_VIDEODRIVER TERM=xterm|Couldn't initialize SDL: *"
)
for row in "${start_failures[@]}"; do
  IFS='|' read -r name environment pattern <<<"$row"
  status=0
  # shellcheck disable=SC2086
  # Without a display SDL may pick an invisible driver and run for ever.
  env -u DISPLAY -u WAYLAND_DISPLAY $environment timeout 5 "$program" >"$out" 2>/dev/null ||
    status=$?
  [ "$status" -eq 1 ] || fail "$name: status $status, want 1"
  [ "$(wc -l <"$out")" -eq 1 ] || fail "$name: want exactly one line, got: $(cat "$out")"
  # shellcheck disable=SC2053
  [[ $(cat "$out") == $pattern ]] || fail "$name: got '$(cat "$out")'"
done

# SDL turns SIGTERM into a quit event: the program must end as if closed.
SDL_VIDEODRIVER=dummy "$program" >"$out" 2>/dev/null &
pid=$!
# Sent before SDL_Init has taken SIGTERM over, the signal would simply kill it.
catches_term() {
  local mask
  mask=$(awk '/^SigCgt/ { print $2 }' "/proc/$pid/status" 2>/dev/null) || return 1
  [ $((0x${mask:-0} >> 14 & 1)) -eq 1 ] # SIGTERM is signal 15
}
deadline=$((SECONDS + 30))
until ! kill -0 "$pid" 2>/dev/null || catches_term || [ "$SECONDS" -ge "$deadline" ]; do sleep 0.05; done
sleep 0.2
kill -0 "$pid" 2>/dev/null || fail "dummy driver: the program did not keep running"
kill -TERM "$pid"
status=0
wait "$pid" || status=$?
pid=
[ "$status" -eq 0 ] || fail "quit event: status $status, want 0"
[ ! -s "$out" ] || fail "quit event: unexpected output '$(cat "$out")'"

[ "$failures" -eq 0 ] && echo "program tests passed"
