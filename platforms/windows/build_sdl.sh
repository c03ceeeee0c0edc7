#!/usr/bin/env bash
# Cross-builds SDL 1.2 for 64-bit Windows from Debian's source package, once:
# SDL.dll, its import library, SDLmain and headers under build/windows/sdl/.
# Usage: platforms/windows/build_sdl.sh   (run by make windows; as root it adds the
# deb-src entry that apt-get source needs, if there is none)
set -euo pipefail
cd "$(dirname "$0")/../.."
prefix=$PWD/build/windows/sdl
[ -f "$prefix/lib/pkgconfig/sdl.pc" ] && exit 0

source_entry=/etc/apt/sources.list.d/fieldline-deb-src.sources
if ! apt-get source -q --print-uris libsdl1.2 >/dev/null 2>&1; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "apt-get source needs a deb-src entry. As root, make windows adds $source_entry." >&2
    exit 1
  fi
  # The system's own Debian entries, for source packages.
  note="# Added by fieldline's make windows: Debian's source packages, for SDL 1.2's source."
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    { echo "$note"; sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources; } \
      >"$source_entry"
  else
    source_entry=${source_entry%.sources}.list
    { echo "$note"; sed -n 's/^deb /deb-src /p' /etc/apt/sources.list; } >"$source_entry"
  fi
  echo "Added $source_entry: Debian's source packages, for SDL 1.2's source"
  apt-get update -qq
fi

work=build/windows/sdl-source
rm -rf "$work" && mkdir -p "$work"
echo "Fetching SDL 1.2's source (apt-get source libsdl1.2)"
(cd "$work" && apt-get source -qq libsdl1.2 >../sdl-source.log 2>&1) || {
  cat build/windows/sdl-source.log >&2
  exit 1
}
cd "$work"/libsdl1.2-*/
echo "Building SDL 1.2 for Windows (a few minutes, once)"
./configure -q --host=x86_64-w64-mingw32 --disable-static --prefix="$prefix" CFLAGS=-O2 \
  >/dev/null 2>&1
make -s -j "$(nproc 2>/dev/null || echo 2)" >/dev/null 2>&1
make -s install >/dev/null
# The licence texts travel with SDL.dll.
cp README-SDL.txt "$prefix/README-SDL.txt"
cp COPYING "$prefix/COPYING-SDL.txt"
# A program links SDLmain (whose WinMain calls the program's renamed main)
# and is a GUI program; the stock file says so for static linking only.
# shellcheck disable=SC2016  # ${libdir} is pkg-config's, not the shell's
sed -i 's/^Libs: .*/Libs: -L${libdir} -lmingw32 -lSDLmain -lSDL -mwindows/' \
  "$prefix/lib/pkgconfig/sdl.pc"
