#!/usr/bin/env bash
# The unit tests on a big-endian machine: cross-built for s390x and run under
# qemu-user, against an s390x system extracted under build/big-endian/sysroot
# (Debian's packages unpacked, nothing installed on the host).
# Usage: scripts/check_big_endian.sh
set -euo pipefail
cd "$(dirname "$0")/.."
sysroot=$PWD/build/big-endian/sysroot
if [ ! -f "$sysroot/usr/lib/s390x-linux-gnu/pkgconfig/sdl.pc" ]; then
  rm -rf "$sysroot" && mkdir -p "$(dirname "$sysroot")"
  echo "Extracting an s390x sysroot (SDL 1.2, GoogleTest, their libraries) into $sysroot"
  mmdebstrap --quiet --variant=extract --arch=s390x \
    --include=libc6,libstdc++6,libgcc-s1,libsdl1.2-dev,libgtest-dev \
    bookworm "$sysroot" http://deb.debian.org/debian
fi
export PKG_CONFIG_SYSROOT_DIR=$sysroot
export PKG_CONFIG_LIBDIR=$sysroot/usr/lib/s390x-linux-gnu/pkgconfig:$sysroot/usr/share/pkgconfig
build=build/big-endian/test
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/s390x-linux-gnu.cmake -DFIELDLINE_SYSROOT="$sysroot"
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)"
cd "$build" && ctest --output-on-failure -j "$(nproc 2>/dev/null || echo 2)"
