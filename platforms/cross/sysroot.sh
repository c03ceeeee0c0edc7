#!/usr/bin/env bash
# Extracts a Debian system of another architecture under build/cross/ARCH/sysroot,
# once: Debian's packages unpacked there, nothing installed on the host, and
# their symbols and shlibs files gathered in sysroot/DEBIAN, where
# dpkg-shlibdeps looks for them when it meets a library under sysroot/.
# Usage: platforms/cross/sysroot.sh ARCH   (prints the sysroot's path)
set -euo pipefail
cd "$(dirname "$0")/../.."
arch=$1
# Which SDL 1.2 each architecture is checked with: the classic one on the
# big-endian machine, Debian's default (sdl12-compat on SDL2) elsewhere.
# Nothing here brings Mesa: with it, SDL2 would present through llvmpipe,
# JIT-compiled under qemu, 5 to 20 s to the first frame.
case $arch in
  s390x) sdl=libsdl1.2-dev ;;
  *) sdl=libsdl1.2-compat-dev ;;
esac
triplet=$(dpkg-architecture -a "$arch" -qDEB_HOST_MULTIARCH 2>/dev/null)
sysroot=$PWD/build/cross/$arch/sysroot
if [ ! -f "$sysroot/DEBIAN/shlibs" ]; then
  rm -rf "$sysroot" && mkdir -p "$(dirname "$sysroot")"
  echo "Extracting an $arch sysroot (SDL 1.2, GoogleTest, their libraries) into $sysroot" >&2
  # shellcheck disable=SC2016  # expanded by the hook's shell
  mmdebstrap --quiet --variant=extract --arch="$arch" \
    --include="libc6,libstdc++6,libgcc-s1,$sdl,libgtest-dev" \
    --extract-hook='mkdir -p "$1/DEBIAN" && for deb in "$1"/var/cache/apt/archives/*.deb; do
        for file in symbols shlibs; do
          dpkg-deb --ctrl-tarfile "$deb" | tar -xO "./$file" 2>/dev/null >>"$1/DEBIAN/$file" || true
        done; done' \
    bookworm "$sysroot" http://deb.debian.org/debian >&2
fi
echo "$sysroot"
