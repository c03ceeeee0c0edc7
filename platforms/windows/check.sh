#!/usr/bin/env bash
# The Windows zip's fieldline.exe under Wine in Xvfb, unpacked as a user would:
# a failed start, then the window test.
# Usage: platforms/windows/check.sh ZIP SEND_CLOSE_REQUEST
set -euo pipefail
zip=$(realpath "$1")
send_close_request=$(realpath "$2")
cd "$(dirname "$0")/../.."
unpacked=$(mktemp -d)
export WINEPREFIX=$PWD/build/windows/wine
trap 'wineserver -k 2>/dev/null || true; rm -rf "$unpacked"' EXIT
unzip -q "$zip" -d "$unpacked"
exe=$unpacked/fieldline/fieldline.exe

# Both binaries keep Windows' address-space randomisation and no-execute
# data, and ship stripped.
for binary in fieldline.exe SDL.dll; do
  headers=$(x86_64-w64-mingw32-objdump -p "$unpacked/fieldline/$binary")
  for flag in DYNAMIC_BASE NX_COMPAT HIGH_ENTROPY_VA; do
    grep -qw "$flag" <<<"$headers" || { echo "FAIL: $binary lacks $flag"; exit 1; }
  done
  if x86_64-w64-mingw32-objdump -h "$unpacked/fieldline/$binary" | grep -q '\.debug_'; then
    echo "FAIL: $binary is not stripped"
    exit 1
  fi
done
echo "fieldline.exe and SDL.dll: DYNAMIC_BASE, NX_COMPAT, HIGH_ENTROPY_VA; stripped"

# The exe's own resources, which Explorer and the taskbar show: its icon, and
# version information that names this version.
resources=$(wrestool -l "$exe")
for kind in group_icon version; do
  grep -q "type=$kind" <<<"$resources" || { echo "FAIL: fieldline.exe has no $kind resource"; exit 1; }
done
strings -el "$exe" >"$unpacked/strings"
for field in FileVersion ProductVersion ProductName CompanyName LegalCopyright FileDescription; do
  value=$(grep -A1 -x "$field" "$unpacked/strings" | sed -n 2p)
  case $field in *Version) [ "$value" = "${VERSION:?}" ] ;; *) [ -n "$value" ] ;; esac ||
    { echo "FAIL: fieldline.exe's $field is '$value'"; exit 1; }
done
echo "fieldline.exe: its icon, and version information for $VERSION"

status=0
out=$(SDL_VIDEODRIVER=no-such-driver WINE_TIMEOUT=120 platforms/windows/wine_launcher.sh "$exe") || status=$?
if [ "$status" -ne 1 ] || [ "$(printf '%s\n' "$out" | wc -l)" -ne 1 ] ||
  [[ $out != "Couldn't initialize SDL: "* ]]; then
  echo "FAIL: unknown video driver: status $status, output '$out'"
  exit 1
fi
echo "unknown video driver: one line, status 1: $out"
# Wine's server outlives a program for a while, with the display it was
# started without: stop it, so the window test's Wine starts afresh in Xvfb.
wineserver -k 2>/dev/null || true

tests/window_test.sh --launcher platforms/windows/wine_launcher.sh "$exe" "$send_close_request"
