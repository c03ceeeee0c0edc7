#!/usr/bin/env bash
# fieldline on another Debian architecture, from this machine: cross-built
# against an extracted sysroot; the unit tests under qemu-user; the window
# test on the cross-built program through the qemu launcher, its pictures
# compared byte for byte with the native build's; then its package, linted.
# Usage: platforms/cross/check.sh ARCH NATIVE_FIELDLINE SEND_CLOSE_REQUEST
#   ARCH: a Debian architecture (s390x, arm64, armhf)
set -euo pipefail
arch=$1
native=$(realpath "$2")
send_close_request=$(realpath "$3")
cd "$(dirname "$0")/../.."
scripts/require.sh dpkg-architecture=dpkg-dev
triplet=$(dpkg-architecture -a "$arch" -qDEB_HOST_GNU_TYPE 2>/dev/null)
scripts/require.sh cmake=cmake make=make pkg-config=pkg-config "$triplet-g++=g++-$triplet" \
  "qemu-${triplet%%-*}=qemu-user" mmdebstrap=mmdebstrap dpkg-shlibdeps=dpkg-dev lintian=lintian
sysroot=$(platforms/cross/sysroot.sh "$arch")
export PKG_CONFIG_SYSROOT_DIR=$sysroot
export PKG_CONFIG_LIBDIR=$sysroot/usr/lib/$triplet/pkgconfig:$sysroot/usr/share/pkgconfig
export QEMU_LD_PREFIX=$sysroot
jobs=$(nproc 2>/dev/null || echo 2)
build=build/cross/$arch/build
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=platforms/cross/toolchain.cmake -DCMAKE_BUILD_TYPE=Release \
  -DFIELDLINE_TRIPLET="$triplet" -DFIELDLINE_DEB_ARCH="$arch" -DFIELDLINE_SYSROOT="$sysroot"
cmake --build "$build" -j "$jobs"
(cd "$build" && ctest --output-on-failure -j "$jobs")

# A program of the other byte order, under qemu on this machine, shares its
# images with the X server in its own byte order, which the server reads in
# its own: white comes out yellow. (A real big-endian machine has an X server
# of its own byte order, and a remote one gets no shared memory.) Without
# the shared-memory extension, Xlib converts each image as it sends it.
if [ "$(dpkg-architecture -a "$arch" -qDEB_HOST_ARCH_ENDIAN 2>/dev/null)" != \
  "$(dpkg-architecture -qDEB_BUILD_ARCH_ENDIAN 2>/dev/null)" ]; then
  export XVFB_OPTIONS="-extension MIT-SHM"
fi
tests/window_test.sh --launcher platforms/cross/qemu_launcher.sh --reference "$native" \
  "$build/fieldline" "$send_close_request"

(cd "$build" && cpack)
deb=$(ls "$build"/fieldline_*_"$arch".deb)
depends=$(dpkg-deb -f "$deb" Depends)
echo "$(basename "$deb"): depends on $depends"
# dpkg-shlibdeps runs with --ignore-missing-info: a failed lookup in the
# sysroot would quietly leave SDL out.
[[ $depends == *libsdl1.2debian* ]] || { echo "FAIL: the package does not depend on SDL 1.2"; exit 1; }
lintian --fail-on error,warning --tag-display-limit 0 "$deb"
echo "$(basename "$deb"): lint-free"
