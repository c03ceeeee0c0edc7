#!/usr/bin/env bash
# The Debian package as a user gets it: its manual page, menu entry,
# AppStream metadata and the package itself linted; then installed with
# apt-get into a minimal Debian 12 and a minimal Debian 13 (never onto the
# build machine), its /usr/bin/fieldline put through the window test there,
# and purged.
# Usage: platforms/linux/check_package.sh PACKAGE.deb SEND_CLOSE_REQUEST   (as root)
set -euo pipefail
deb=$(realpath "$1")
send_close_request=$(realpath "$2")
cd "$(dirname "$0")/../.."

unpacked=$(mktemp -d)
minimal=$PWD/build/minimal
export SYSTEM_ROOT=$minimal/root
trap 'rm -rf "$unpacked" "$SYSTEM_ROOT" "$minimal"/*-part.tar' EXIT
dpkg-deb -x "$deb" "$unpacked"
mandoc -T lint -W warning "$unpacked/usr/share/man/man1/fieldline.1.gz"
desktop-file-validate "$unpacked/usr/share/applications/io.github.fieldline.desktop"
appstreamcli validate --pedantic --no-net "$unpacked/usr/share/metainfo/io.github.fieldline.metainfo.xml"
platforms/linux/lint_package.sh "$deb"
echo "manual page, menu entry, AppStream metadata and package: lint-free"

declare -A debian=([bookworm]=12 [trixie]=13)

# Each release as mmdebstrap's apt variant makes it (essential packages and
# apt, with its package lists), made once and kept for a day: as the
# archive moves on, its lists name packages the mirrors no longer have.
make_system() { # release
  tarball=$minimal/$1.tar
  if [ -n "$(find "$tarball" -mtime -1 2>/dev/null)" ]; then echo "minimal system: reusing $tarball"; return; fi
  echo "minimal system: making $tarball"
  mkdir -p "$minimal"
  # mmdebstrap takes the format from the name: a .tar, not yet in its place.
  rm -f "$minimal/$1-part.tar"
  mmdebstrap --quiet --variant=apt --skip=cleanup/apt/lists "$1" "$minimal/$1-part.tar" \
    "deb http://deb.debian.org/debian $1 main" \
    "deb http://deb.debian.org/debian $1-updates main" \
    "deb http://deb.debian.org/debian-security $1-security main" </dev/null
  mv "$minimal/$1-part.tar" "$tarball"
}
# The packages a row downloads are kept for the next row and run, apart for
# each release, so that a system is offered only its own release's files.
new_system() {
  rm -rf "$SYSTEM_ROOT" && mkdir -p "$SYSTEM_ROOT" "$archives"
  tar -C "$SYSTEM_ROOT" -xf "$tarball"
  cp -L /etc/resolv.conf "$SYSTEM_ROOT/etc/resolv.conf"
  cp "$deb" "$SYSTEM_ROOT/tmp/"
  find "$archives" -name '*.deb' -exec cp -l -t "$SYSTEM_ROOT/var/cache/apt/archives" {} +
}
in_system() { platforms/linux/system_launcher.sh env DEBIAN_FRONTEND=noninteractive "$@"; }
apt_install() {
  in_system apt-get install -y -q "$@" >"$minimal/apt.log" 2>&1 ||
    { cat "$minimal/apt.log"; echo "FAIL: apt-get install $*"; exit 1; }
}
install_package() {
  apt_install "/tmp/$(basename "$deb")"
  find "$SYSTEM_ROOT/var/cache/apt/archives" -name '*.deb' -exec cp -n -l -t "$archives" {} +
}
installed() { [ "$(in_system dpkg-query -W -f='${db:Status-Status}' "$1" 2>/dev/null)" = installed ]; }
version() { in_system dpkg-query -W -f='${Version}' "$1" 2>/dev/null || true; }
window_test() { tests/window_test.sh --launcher platforms/linux/system_launcher.sh /usr/bin/fieldline "$send_close_request"; }
expect() { # what, then a command that must succeed
  if "${@:2}"; then echo "ok: $1"; else echo "FAIL: $1"; exit 1; fi
}
# Every language of po/: its manual page for man -L, and its texts in the
# menu entry and the software centres' metadata.
translated() { # language
  local desktop=$SYSTEM_ROOT/usr/share/applications/io.github.fieldline.desktop
  local metainfo=$SYSTEM_ROOT/usr/share/metainfo/io.github.fieldline.metainfo.xml
  [ "$(MANPATH=$SYSTEM_ROOT/usr/share/man man -L "$1" -w fieldline)" = "$SYSTEM_ROOT/usr/share/man/$1/man1/fieldline.1.gz" ] &&
    for key in GenericName Comment Keywords; do grep -q "^$key\[$1\]=" "$desktop" || return 1; done &&
    for element in summary p caption; do grep -q "<$element xml:lang=\"$1\">" "$metainfo" || return 1; done
}

check_release() { # release
  local name="Debian ${debian[$1]}" layer
  archives=$minimal/archives-$1
  make_system "$1"

  echo "$name, a fresh system: apt brings the compatibility layer, whose window enlarges"
  new_system
  install_package
  if [ "$1" = bookworm ]; then
    expect "the shim is installed" installed libsdl1.2-compat-shim
    expect "the classic SDL is not" eval '! installed libsdl1.2debian'
  else
    # From Debian 13 on, libsdl1.2debian is itself the layer, on SDL2, and
    # the shim that apt takes first only a transitional package bringing it.
    layer=$(version libsdl1.2debian)
    expect "libsdl1.2debian ${layer:-(none)} is the layer, 1.2.60 or later" dpkg --compare-versions "${layer:-0}" ge 1.2.60
  fi
  expect "SDL2 $(version libsdl2-2.0-0) is under it" installed libsdl2-2.0-0
  expect "the manual page is found" man -M "$SYSTEM_ROOT/usr/share/man" -w fieldline
  for po in po/*.po; do
    language=$(basename "$po" .po)
    expect "$language: manual page, menu entry and metadata" translated "$language"
  done
  window_test

  echo "$name, purged: it leaves nothing of its own"
  in_system apt-get purge -y -q fieldline >/dev/null
  expect "fieldline is no longer known to dpkg" eval '! in_system dpkg-query -W fieldline 2>/dev/null'
  # Each file is gone; a folder may stay only if another package owns it.
  left=$(dpkg-deb -c "$deb" | awk '{ print substr($6, 2) }' | sed 's|/$||' | while read -r path; do
    [ -n "$path" ] && [ -e "$SYSTEM_ROOT$path" ] || continue
    [ -d "$SYSTEM_ROOT$path" ] && in_system dpkg-query -S "$path" >/dev/null 2>&1 && continue
    echo "$path"
  done)
  expect "nothing left: ${left:-none}" test -z "$left"

  # The classic SDL 1.2.15 is Debian 12's only.
  [ "$1" = bookworm ] || return 0
  echo "$name, the classic SDL already installed: apt keeps it, and the window is 320 x 200"
  new_system
  apt_install libsdl1.2debian
  install_package
  expect "the classic SDL is kept" installed libsdl1.2debian
  expect "the shim is not installed" eval '! installed libsdl1.2-compat-shim'
  window_test
}

for release in bookworm trixie; do check_release "$release"; done
