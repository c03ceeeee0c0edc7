#!/usr/bin/env bash
# The Debian package as a user gets it: its manual page, menu entry and the
# package itself linted; then installed with apt-get, its /usr/bin/fieldline
# put through the window test, and removed again.
# Usage: platforms/linux/check_package.sh PACKAGE.deb SEND_CLOSE_REQUEST   (as root)
set -euo pipefail
deb=$(realpath "$1")
send_close_request=$(realpath "$2")
cd "$(dirname "$0")/../.."

mandoc -T lint -W warning platforms/linux/fieldline.1
desktop-file-validate platforms/linux/fieldline.desktop
lintian --fail-on error,warning --tag-display-limit 0 "$deb"
echo "manual page, menu entry and package: lint-free"

if dpkg-query -W -f='${Status}' fieldline 2>/dev/null | grep -q 'ok installed'; then
  echo "fieldline is already installed; not touching it" >&2
  exit 1
fi
trap 'DEBIAN_FRONTEND=noninteractive apt-get purge -y -q fieldline >/dev/null' EXIT
DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "$deb" >/dev/null
echo "installed: $(dpkg-query -W -f='${Package} ${Version}, depends: ${Depends}' fieldline)"
man -w fieldline >/dev/null
tests/window_test.sh /usr/bin/fieldline "$send_close_request"
