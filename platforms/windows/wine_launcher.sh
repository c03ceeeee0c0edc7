#!/usr/bin/env bash
# Runs a Windows program under Wine as if it were a Linux one: its exit
# status, and its standard output on standard output (SDL's Windows entry
# glue writes it to stdout.txt beside the exe). Used by make check-windows.
# Usage: platforms/windows/wine_launcher.sh PROGRAM.exe [ARGUMENTS...]
set -euo pipefail
exe=$1
folder=$(cd "$(dirname "$exe")" && pwd)
# A private Wine prefix that never asks to download components (that would
# hang offline); a missing DLL opens a modal box and hangs too, hence the
# timeout. Wine's menu builder would write the prefix's shortcuts into the
# host's own menus: it is off.
export WINEPREFIX=${WINEPREFIX:-$folder/../wine}
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# A new prefix is set up first, on its own: its set-up may report failures
# (no 32-bit Wine here) that do not concern a 64-bit program.
if [ ! -d "$WINEPREFIX" ]; then
  timeout 300 wine wineboot --init >/dev/null 2>&1 || true
  timeout 60 wineserver -w || true
fi

rm -f "$folder/stdout.txt" "$folder/stderr.txt"
status=0
timeout "${WINE_TIMEOUT:-600}" wine "$@" || status=$?
if [ -f "$folder/stdout.txt" ]; then tr -d '\r' <"$folder/stdout.txt"; fi
rm -f "$folder/stdout.txt" "$folder/stderr.txt"
exit "$status"
