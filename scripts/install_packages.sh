#!/usr/bin/env bash
# Installs whichever of the named Debian packages are missing (apt-get as root; otherwise says what to run).
set -euo pipefail
missing=()
for package in "$@"; do
  # Either SDL 1.2 implementation will do: both provide the 'sdl' module.
  if [ "$package" = libsdl1.2-compat-dev ] && pkg-config --exists sdl 2>/dev/null; then
    continue
  fi
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' || missing+=("$package")
done
[ "${#missing[@]}" -eq 0 ] && exit 0
if [ "$(id -u)" -ne 0 ]; then
  echo "Missing Debian packages. Run: sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi
echo "Installing ${missing[*]}"
apt-get update -q
DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
