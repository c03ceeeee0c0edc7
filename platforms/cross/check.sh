#!/usr/bin/env bash
# fieldline on another Debian architecture, from this machine: cross-built
# against an extracted sysroot, and the unit tests run under qemu-user.
# Usage: platforms/cross/check.sh ARCH   (a Debian architecture: s390x, ...)
set -euo pipefail
cd "$(dirname "$0")/../.."
arch=$1
scripts/require.sh dpkg-architecture=dpkg-dev
triplet=$(dpkg-architecture -a "$arch" -qDEB_HOST_GNU_TYPE 2>/dev/null)
scripts/require.sh cmake=cmake make=make pkg-config=pkg-config "$triplet-g++=g++-${triplet//_/-}" \
  "qemu-${triplet%%-*}=qemu-user" mmdebstrap=mmdebstrap
sysroot=$(platforms/cross/sysroot.sh "$arch")
export PKG_CONFIG_SYSROOT_DIR=$sysroot
export PKG_CONFIG_LIBDIR=$sysroot/usr/lib/$triplet/pkgconfig:$sysroot/usr/share/pkgconfig
build=build/cross/$arch/test
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=platforms/cross/toolchain.cmake \
  -DFIELDLINE_TRIPLET="$triplet" -DFIELDLINE_DEB_ARCH="$arch" -DFIELDLINE_SYSROOT="$sysroot"
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)"
(cd "$build" && ctest --output-on-failure -j "$(nproc 2>/dev/null || echo 2)")
