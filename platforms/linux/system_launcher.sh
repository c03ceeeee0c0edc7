#!/usr/bin/env bash
# Runs a command inside the Debian system unpacked in $SYSTEM_ROOT, as root,
# with /proc, /dev and the host's X server sockets bound in (their folder is
# there once an X server has run), so that the package's check installs and
# runs it there, never on the build machine.
# The mounts live in a namespace of their own and go with the command; the
# pid stays the command's (exec all the way), for the window test's /proc.
# Usage: SYSTEM_ROOT=DIR platforms/linux/system_launcher.sh COMMAND [ARGUMENTS...]
set -euo pipefail
# shellcheck disable=SC2016  # expanded by the inner shell
exec unshare --mount --propagation private sh -euc '
  root=$1
  shift
  mkdir -p "$root/tmp/.X11-unix"
  mount -t proc proc "$root/proc"
  mount --rbind /dev "$root/dev"
  [ ! -d /tmp/.X11-unix ] || mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"
  exec chroot "$root" "$@"' sh "${SYSTEM_ROOT:?}" "$@"
