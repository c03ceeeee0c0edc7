#!/usr/bin/env bash
# Unpacks Debian's classic SDL 1.2.15 under build/classic/root without
# installing it (it conflicts with the compat packages), and writes a
# pkg-config file for it: build/classic/pkgconfig/sdl.pc.
# Usage: platforms/linux/classic_sdl.sh   (prints the library folder to put on LD_LIBRARY_PATH)
set -euo pipefail
cd "$(dirname "$0")/../.."
classic=$PWD/build/classic
root=$classic/root
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH 2>/dev/null || gcc -print-multiarch)
if [ ! -f "$classic/pkgconfig/sdl.pc" ]; then
  rm -rf "$classic/debs" "$root" && mkdir -p "$classic/debs" "$root" "$classic/pkgconfig"
  (cd "$classic/debs" && apt-get download -q libsdl1.2debian libsdl1.2-dev libcaca0 >../download.log 2>&1) ||
    { cat "$classic/download.log" >&2; exit 1; }
  for deb in "$classic"/debs/*.deb; do dpkg -x "$deb" "$root"; done
  # The package's own file, with its prefix moved under build/ (pkg-config's
  # --define-prefix would guess the prefix wrong from the multiarch path).
  sed "s|^prefix=.*|prefix=$root/usr|" "$root/usr/lib/$multiarch/pkgconfig/sdl.pc" \
    >"$classic/pkgconfig/sdl.pc"
fi
echo "$root/usr/lib/$multiarch"
