#!/usr/bin/env bash
# Every exit path of the real program, through tests/sdl_interposer.cpp:
# start-up failures, a screen that must be locked, a failed lock.
# Usage: exit_paths_test.sh FIELDLINE LIBSDL_INTERPOSER
set -euo pipefail
program=$1
interposer=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# name | the interposer's settings, ';' between them | stdout | status | the calls, as a regex over one line
rows=(
  "SDL_Init fails|INTERPOSE_INIT_ERROR=no luck|Couldn't initialize SDL: no luck|1|SDL_Init( SDL_Quit)+"
  "SDL_SetVideoMode fails|INTERPOSE_VIDEO_MODE_ERROR=no mode|Couldn't set video mode: no mode|1|SDL_Init SDL_SetVideoMode( SDL_Quit)+"
  "must lock: lock, draw, unlock, present|INTERPOSE_MUST_LOCK=1||0|SDL_Init SDL_SetVideoMode( SDL_LockSurface SDL_UnlockSurface SDL_UpdateRect)+( SDL_Quit)+"
  "the lock fails|INTERPOSE_MUST_LOCK=1;INTERPOSE_LOCK_FAILS=1||1|SDL_Init SDL_SetVideoMode SDL_LockSurface( SDL_Quit)+"
  "a plain surface is never locked|||0|SDL_Init SDL_SetVideoMode( SDL_UpdateRect)+( SDL_Quit)+"
)
for row in "${rows[@]}"; do
  IFS='|' read -r name settings want_out want_status want_calls <<<"$row"
  IFS=';' read -r -a settings <<<"$settings"
  rm -f "$work/log"
  # The preloaded library comes before a sanitized program's runtime; SDL's
  # own leaks are not this test's business.
  env SDL_VIDEODRIVER=dummy LD_PRELOAD="$interposer" INTERPOSE_LOG="$work/log" \
    ASAN_OPTIONS=verify_asan_link_order=0:detect_leaks=0 "${settings[@]}" "$program" \
    >"$work/out" 2>/dev/null &
  pid=$!
  # A quit event, for the rows that keep running, once a frame is presented:
  # sent before SDL_Init, SIGTERM would simply kill the program.
  deadline=$((SECONDS + 30))
  while kill -0 "$pid" 2>/dev/null && ! grep -qs SDL_UpdateRect "$work/log" && [ "$SECONDS" -lt "$deadline" ]; do
    sleep 0.05
  done
  kill -TERM "$pid" 2>/dev/null || true
  status=0
  wait "$pid" || status=$?
  calls=$(tr '\n' ' ' <"$work/log" | sed 's/ $//')
  problems=()
  [ "$status" -eq "$want_status" ] || problems+=("status $status, want $want_status")
  [ "$(cat "$work/out")" = "$want_out" ] || problems+=("standard output '$(cat "$work/out")'")
  if [ -n "$want_out" ] && [ "$(wc -l <"$work/out")" -ne 1 ]; then problems+=("not one line"); fi
  [[ $calls =~ ^$want_calls$ ]] || problems+=("calls: ${calls:0:300}")
  if [ "${#problems[@]}" -eq 0 ]; then echo "ok: $name"; else
    echo "FAIL: $name: ${problems[*]}"
    failures=$((failures + 1))
  fi
done
[ "$failures" -eq 0 ]
