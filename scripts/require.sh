#!/usr/bin/env bash
# Checks, by capability, that what a make target needs is here; on Debian and
# its derivatives installs what is missing (as root; otherwise prints the one
# apt-get line), elsewhere names what is missing.
# Usage: scripts/require.sh PROBE=DEBIAN_PACKAGE...
#   PROBE: a command on PATH, a pkg-config module as NAME.pc, or an /absolute/path
set -euo pipefail
missing=()
packages=()
for need in "$@"; do
  probe=${need%%=*}
  case $probe in
    /*) [ -e "$probe" ] ;;
    *.pc) pkg-config --exists "${probe%.pc}" 2>/dev/null ;;
    *) command -v "$probe" >/dev/null ;;
  esac && continue
  missing+=("$probe")
  [[ " ${packages[*]} " == *" ${need#*=} "* ]] || packages+=("${need#*=}")
done
[ "${#missing[@]}" -eq 0 ] && exit 0
if ! command -v apt-get >/dev/null || ! command -v dpkg >/dev/null; then
  echo "Missing: ${missing[*]} (commands, pkg-config modules as NAME.pc, or files)." >&2
  echo "Install them with your system's package manager, then run make again." >&2
  exit 1
fi
if [ "$(id -u)" -ne 0 ]; then
  echo "Missing Debian packages. Run: sudo apt-get install -y ${packages[*]}" >&2
  exit 1
fi
echo "Installing ${packages[*]}"
# Another apt or dpkg (unattended-upgrades, minutes after boot) may hold the
# package locks: wait up to five minutes for it rather than fail at once.
# apt-get update does not honour dpkg's lock timeout, so it is retried.
wait_seconds=300
deadline=$((SECONDS + wait_seconds))
while ! output=$(LC_ALL=C apt-get update -q 2>&1); do
  if [[ $output != *"Could not get lock"* ]] || [ "$SECONDS" -ge "$deadline" ]; then
    echo "$output" >&2
    exit 1
  fi
  echo "Another package manager is busy; waiting for it"
  sleep 5
done
DEBIAN_FRONTEND=noninteractive apt-get install -o DPkg::Lock::Timeout="$wait_seconds" -y -q \
  --no-install-recommends "${packages[@]}"
