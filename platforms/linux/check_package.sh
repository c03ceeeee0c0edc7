#!/usr/bin/env bash
# The Debian package as a user gets it: its manual page, menu entry,
# AppStream metadata and the package itself linted; then installed with
# apt-get into a minimal Debian 12 (never onto the build machine), its
# /usr/bin/fieldline put through the window test there, and purged.
# Usage: platforms/linux/check_package.sh PACKAGE.deb SEND_CLOSE_REQUEST   (as root)
set -euo pipefail
deb=$(realpath "$1")
send_close_request=$(realpath "$2")
cd "$(dirname "$0")/../.."

unpacked=$(mktemp -d)
minimal=$PWD/build/minimal
export SYSTEM_ROOT=$minimal/root
trap 'rm -rf "$unpacked" "$SYSTEM_ROOT"' EXIT
dpkg-deb -x "$deb" "$unpacked"
mandoc -T lint -W warning "$unpacked/usr/share/man/man1/fieldline.1.gz"
desktop-file-validate "$unpacked/usr/share/applications/io.github.fieldline.desktop"
appstreamcli validate --pedantic --no-net "$unpacked/usr/share/metainfo/io.github.fieldline.metainfo.xml"
platforms/linux/lint_package.sh "$deb"
echo "manual page, menu entry, AppStream metadata and package: lint-free"

# Debian 12 as mmdebstrap's apt variant makes it (essential packages and
# apt, with its package lists), made once and kept for a day: as the
# archive moves on, its lists name packages the mirrors no longer have.
tarball=$minimal/bookworm.tar
if [ -n "$(find "$tarball" -mtime -1 2>/dev/null)" ]; then echo "minimal system: reusing $tarball"; else
  echo "minimal system: making $tarball"
  mkdir -p "$minimal"
  # mmdebstrap takes the format from the name: a .tar, not yet in its place.
  rm -rf "$minimal/part.tar"
  mmdebstrap --quiet --variant=apt --skip=cleanup/apt/lists bookworm "$minimal/part.tar" \
    "deb http://deb.debian.org/debian bookworm main" \
    "deb http://deb.debian.org/debian bookworm-updates main" \
    "deb http://deb.debian.org/debian-security bookworm-security main" </dev/null
  mv "$minimal/part.tar" "$tarball"
fi
# The packages a row downloads are kept beside it for the next row and run.
mkdir -p "$minimal/archives"
new_system() {
  rm -rf "$SYSTEM_ROOT" && mkdir -p "$SYSTEM_ROOT"
  tar -C "$SYSTEM_ROOT" -xf "$tarball"
  cp -L /etc/resolv.conf "$SYSTEM_ROOT/etc/resolv.conf"
  cp "$deb" "$SYSTEM_ROOT/tmp/"
  find "$minimal/archives" -name '*.deb' -exec cp -t "$SYSTEM_ROOT/var/cache/apt/archives" {} +
}
in_system() { platforms/linux/system_launcher.sh env DEBIAN_FRONTEND=noninteractive "$@"; }
install_package() {
  in_system apt-get install -y -q "/tmp/$(basename "$deb")" >"$minimal/apt.log" 2>&1 ||
    { cat "$minimal/apt.log"; echo "FAIL: apt-get install"; exit 1; }
  find "$SYSTEM_ROOT/var/cache/apt/archives" -name '*.deb' -exec cp -n -t "$minimal/archives" {} +
}
installed() { [ "$(in_system dpkg-query -W -f='${db:Status-Status}' "$1" 2>/dev/null)" = installed ]; }
window_test() { tests/window_test.sh --launcher platforms/linux/system_launcher.sh /usr/bin/fieldline "$send_close_request"; }
expect() { # what, then a command that must succeed
  if "${@:2}"; then echo "ok: $1"; else echo "FAIL: $1"; exit 1; fi
}

echo "A fresh system: apt brings the compatibility layer, whose window enlarges"
new_system
install_package
expect "the shim is installed" installed libsdl1.2-compat-shim
expect "the classic SDL is not" eval '! installed libsdl1.2debian'
expect "the manual page is found" man -M "$SYSTEM_ROOT/usr/share/man" -w fieldline
# Every language of po/: its manual page for man -L, and its texts in the
# menu entry and the software centres' metadata.
translated() { # language
  local desktop=$SYSTEM_ROOT/usr/share/applications/io.github.fieldline.desktop
  local metainfo=$SYSTEM_ROOT/usr/share/metainfo/io.github.fieldline.metainfo.xml
  [ "$(MANPATH=$SYSTEM_ROOT/usr/share/man man -L "$1" -w fieldline)" = "$SYSTEM_ROOT/usr/share/man/$1/man1/fieldline.1.gz" ] &&
    for key in GenericName Comment Keywords; do grep -q "^$key\[$1\]=" "$desktop" || return 1; done &&
    for element in summary p caption; do grep -q "<$element xml:lang=\"$1\">" "$metainfo" || return 1; done
}
for po in po/*.po; do
  language=$(basename "$po" .po)
  expect "$language: manual page, menu entry and metadata" translated "$language"
done
window_test

echo "Purged, it leaves nothing of its own"
in_system apt-get purge -y -q fieldline >/dev/null
expect "fieldline is no longer known to dpkg" eval '! in_system dpkg-query -W fieldline 2>/dev/null'
# Each file is gone; a folder may stay only if another package owns it.
left=$(dpkg-deb -c "$deb" | awk '{ print substr($6, 2) }' | sed 's|/$||' | while read -r path; do
  [ -n "$path" ] && [ -e "$SYSTEM_ROOT$path" ] || continue
  [ -d "$SYSTEM_ROOT$path" ] && in_system dpkg-query -S "$path" >/dev/null 2>&1 && continue
  echo "$path"
done)
expect "nothing left: ${left:-none}" test -z "$left"

echo "The classic SDL already installed: apt keeps it, and the window is 320 x 200"
new_system
in_system apt-get install -y -q libsdl1.2debian >"$minimal/apt.log" 2>&1 || { cat "$minimal/apt.log"; exit 1; }
install_package
expect "the classic SDL is kept" installed libsdl1.2debian
expect "the shim is not installed" eval '! installed libsdl1.2-compat-shim'
window_test
