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
build=build/cross/$arch/build
platforms/cross/build.sh "$arch" "$build"
scripts/require.sh lintian=lintian hardening-check=devscripts
export QEMU_LD_PREFIX=$PWD/build/cross/$arch/sysroot
(cd "$build" && ctest --output-on-failure -j "$(nproc 2>/dev/null || echo 2)")

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

(cd "$build" && umask 022 && cpack)
platforms/linux/lint_package.sh "$(ls "$build"/fieldline_*_"$arch".deb)"
