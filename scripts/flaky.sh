#!/usr/bin/env bash
# Runs one timing-sensitive check again and again on a busy machine and
# counts its failures, to find the checks that pass or fail by chance. On
# demand only (make check-flaky), after the check's own make target has built
# what it runs. The load contends for what the checks use: a CPU-bound process
# a core, and two fieldline windows drawing flat out into an X server of their own.
# Usage: scripts/flaky.sh CHECK [RUNS]   (no CHECK: lists them; each run's log goes to build/flaky/)
set -euo pipefail
cd "$(dirname "$0")/.."
native=build/test/fieldline
close=build/test/tests/send_close_request
# name | the make target that builds what it runs | the command
checks=(
  "window|test|tests/window_test.sh $native $close"
  "faults|test|tests/environment_faults_test.sh $native"
  "faults-classic|check-classic-sdl|env LD_LIBRARY_PATH=build/classic/root/usr/lib/x86_64-linux-gnu tests/environment_faults_test.sh build/classic/test/fieldline"
  "faults-wayland|check-wayland|tests/environment_faults_test.sh --wayland $native"
  "window-wayland|check-wayland|tests/window_test.sh --wayland $native $close"
  "exit-paths|test|tests/exit_paths_test.sh $native build/test/tests/libsdl_interposer.so"
  "program|test|tests/program_test.sh $native"
  "browser|check-web-chromium|node platforms/web/browser_test.mjs build/web/site tests/pointer_cases.txt chromium"
  "browser-firefox|check-web-firefox|node platforms/web/browser_test.mjs build/web/site tests/pointer_cases.txt firefox"
  "browser-webkit|check-web-webkit|node platforms/web/browser_test.mjs build/web/site tests/pointer_cases.txt webkit"
  "screen-reader|check-screen-reader|platforms/web/screen_reader.sh build/web/site"
  "lighthouse|check-lighthouse|node platforms/web/lighthouse.mjs build/web/site"
  "wine|check-windows|tests/window_test.sh --launcher platforms/windows/wine_launcher.sh build/windows/fieldline/fieldline.exe $close"
  "qemu-arm64|check-arm64|tests/window_test.sh --launcher platforms/cross/qemu_launcher.sh --reference $native build/cross/arm64/build/fieldline $close"
  "qemu-armhf|check-armhf|tests/window_test.sh --launcher platforms/cross/qemu_launcher.sh --reference $native build/cross/armhf/build/fieldline $close"
  "qemu-s390x|check-big-endian|env XVFB_OPTIONS=-extension\\ MIT-SHM tests/window_test.sh --launcher platforms/cross/qemu_launcher.sh --reference $native build/cross/s390x/build/fieldline $close"
  "memcheck|check-memcheck|scripts/memcheck.sh $native"
)
if [ $# -eq 0 ]; then
  printf '%s\n' "${checks[@]}" | awk -F'|' '{ printf "  %-15s after make %s\n", $1, $2 }'
  exit 0
fi
name=$1
runs=${2:-10}
row=$(printf '%s\n' "${checks[@]}" | grep "^$name|") || { echo "no check named $name" >&2; exit 2; }
IFS='|' read -r _ target command <<<"$row"

# The prefix check-windows set up; the qemu launcher finds its sysroot itself.
export WINEPREFIX=$PWD/build/windows/wine
load=()
trap 'kill "${load[@]}" 2>/dev/null || true; wait 2>/dev/null || true' EXIT
for _ in $(seq "$(nproc)"); do
  sh -c 'while :; do :; done' &
  load+=($!)
done
coproc LOAD_X { exec Xvfb -displayfd 1 -noreset -nolisten tcp -screen 0 1024x768x24 2>/dev/null; }
load+=("$LOAD_X_PID")
read -r -t 20 -u "${LOAD_X[0]}" display
for _ in 1 2; do
  DISPLAY=:$display "$native" >/dev/null 2>&1 &
  load+=($!)
done

mkdir -p build/flaky
failures=0
start=$SECONDS
for run in $(seq "$runs"); do
  log=build/flaky/$name-$run.log
  # shellcheck disable=SC2086  # the command's words
  if eval "$command" >"$log" 2>&1; then :; else
    failures=$((failures + 1))
    echo "run $run failed: $log ($(grep -m 3 -E 'FAIL|Error|error' "$log" | tr '\n' ' '))"
  fi
done
echo "$name: $runs runs under load, $failures failed ($((SECONDS - start)) s; built by make $target)"
[ "$failures" -eq 0 ]
