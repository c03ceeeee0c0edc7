#!/usr/bin/env bash
# Runs a program of another architecture under qemu-user as if it were
# native: qemu chosen by the ELF's machine, the libraries taken from that
# architecture's sysroot, and exec all the way, so that the caller's pid
# (and its /proc maps) are the program's.
# Usage: platforms/cross/qemu_launcher.sh PROGRAM [ARGUMENTS...]
#   QEMU_LD_PREFIX, if set, names the sysroot; else build/cross/ARCH/sysroot.
set -euo pipefail
read -r -a header < <(od -An -tu1 -w20 -N20 "$1")
# e_machine: the two bytes at 18, in the byte order of byte 5 (1: little-endian).
if [ "${header[5]}" -eq 1 ]; then
  machine=$((header[18] + 256 * header[19]))
else
  machine=$((256 * header[18] + header[19]))
fi
case $machine in # qemu's name, Debian's; 32-bit ARM is taken as armhf
  22) qemu=s390x arch=s390x ;;
  40) qemu=arm arch=armhf ;;
  183) qemu=aarch64 arch=arm64 ;;
  *) echo "no qemu-user known for ELF machine $machine: $1" >&2; exit 1 ;;
esac
# Not LD_LIBRARY_PATH: libpulse's absolute RUNPATH would escape it, SDL2
# would fail to load, and sdl12-compat would abort.
export QEMU_LD_PREFIX=${QEMU_LD_PREFIX:-$(cd "$(dirname "$0")/../.." && pwd)/build/cross/$arch/sysroot}
exec "qemu-$qemu" "$@"
