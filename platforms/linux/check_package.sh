#!/usr/bin/env bash
# The Debian package as a user gets it: its manual page, menu entry,
# AppStream metadata and the package itself linted; then installed with
# apt-get, its /usr/bin/fieldline put through the window test, and removed.
# Usage: platforms/linux/check_package.sh PACKAGE.deb SEND_CLOSE_REQUEST   (as root)
set -euo pipefail
deb=$(realpath "$1")
send_close_request=$(realpath "$2")
cd "$(dirname "$0")/../.."

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
mandoc -T lint -W warning "$unpacked/usr/share/man/man1/fieldline.1.gz"
desktop-file-validate "$unpacked/usr/share/applications/io.github.fieldline.desktop"
appstreamcli validate --pedantic --no-net "$unpacked/usr/share/metainfo/io.github.fieldline.metainfo.xml"
platforms/linux/lint_package.sh "$deb"
echo "manual page, menu entry, AppStream metadata and package: lint-free"

if dpkg-query -W -f='${Status}' fieldline 2>/dev/null | grep -q 'ok installed'; then
  echo "fieldline is already installed; not touching it" >&2
  exit 1
fi
trap 'rm -rf "$unpacked"; DEBIAN_FRONTEND=noninteractive apt-get purge -y -q fieldline >/dev/null' EXIT
DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "$deb" >/dev/null
echo "installed: $(dpkg-query -W -f='${Package} ${Version}, depends: ${Depends}' fieldline)"
man -w fieldline >/dev/null
tests/window_test.sh /usr/bin/fieldline "$send_close_request"
