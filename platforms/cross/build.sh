#!/usr/bin/env bash
# Cross-builds fieldline for another Debian architecture into a folder,
# against that architecture's sysroot (extracted once by sysroot.sh).
# Usage: platforms/cross/build.sh ARCH FOLDER [CMAKE_OPTIONS...]
set -euo pipefail
arch=$1
build=$2
shift 2
cd "$(dirname "$0")/../.."
scripts/require.sh dpkg-architecture=dpkg-dev
triplet=$(dpkg-architecture -a "$arch" -qDEB_HOST_GNU_TYPE 2>/dev/null)
scripts/require.sh cmake=cmake make=make pkg-config=pkg-config "$triplet-g++=g++-$triplet" \
  "qemu-${triplet%%-*}=qemu-user" mmdebstrap=mmdebstrap dpkg-shlibdeps=dpkg-dev
sysroot=$(platforms/cross/sysroot.sh "$arch")
export PKG_CONFIG_SYSROOT_DIR=$sysroot
export PKG_CONFIG_LIBDIR=$sysroot/usr/lib/$triplet/pkgconfig:$sysroot/usr/share/pkgconfig
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=platforms/cross/toolchain.cmake -DCMAKE_BUILD_TYPE=Release \
  -DFIELDLINE_TRIPLET="$triplet" -DFIELDLINE_DEB_ARCH="$arch" -DFIELDLINE_SYSROOT="$sysroot" "$@" >&2
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" >&2
