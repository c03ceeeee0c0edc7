#!/usr/bin/env bash
# Frame rate of fieldline against the bare SDL floor, alternately under one Xvfb, counted from outside.
# Usage: scripts/frame_rate.sh BENCH_BUILD_DIR [ROUNDS] [SECONDS]
# Runs are short and paired (fieldline, then the floor) so that the machine's
# drifting speed cancels out of each pair's ratio; Xvfb and the program each
# keep a core of their own.
set -euo pipefail
build=$1
rounds=${2:-30}
seconds=${3:-1.5}
source "$(dirname "$0")/xvfb_session.sh"
counts=$(mktemp -d)
trap 'stop_session; rm -rf "$counts"' EXIT

# One run: frames, seconds and allocations between the first and last frame.
measure() { # name, program
  start_program taskset -c 0 env LD_PRELOAD="$build/bench/libframe_counter.so" FRAME_COUNT_FILE="$counts/$1" "$2"
  wait_for_first_frame
  xdotool mousemove --window "$window" 160 100
  sleep "$seconds"
  kill -TERM "$program_pid"
  wait_for_program 10
}

start_xvfb
taskset -p -c 1 "$xvfb_pid" >/dev/null
for round in $(seq "$rounds"); do
  # Who goes first alternates, so neither always gets the fresher machine.
  if ((round % 2)); then
    measure fieldline "$build/fieldline"
    measure floor "$build/bench/sdl_floor"
  else
    measure floor "$build/bench/sdl_floor"
    measure fieldline "$build/fieldline"
  fi
done

fps() { awk '{ printf "%.1f\n", $1 / $2 }' "$counts/$1" | sort -g; } # one line a run, ascending
median() { fps "$1" | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
for name in fieldline floor; do
  fps "$name" | awk -v name="$name" '{ v[NR] = $1 }
    END { printf "%-9s frames/s: min %s, median %s, max %s (%d runs)\n", name, v[1], v[int((NR + 1) / 2)], v[NR], NR }'
  awk -v name="$name" '{ frames += $1; allocations += $3 }
    END { printf "%-9s heap allocations a frame, SDL and X included: %.2f\n", name, allocations / frames }' "$counts/$name"
done
awk -v a="$(median fieldline)" -v b="$(median floor)" 'BEGIN { printf "ratio of medians, fieldline / floor: %.3f\n", a / b }'
paste -d ' ' "$counts/fieldline" "$counts/floor" |
  awk '{ print ($1 / $2) / ($4 / $5) }' | sort -g |
  awk '{ v[NR] = $1 } END { printf "ratio within each pair: min %.3f, median %.3f, max %.3f\n", v[1], v[int((NR + 1) / 2)], v[NR] }'
