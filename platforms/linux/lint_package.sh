#!/usr/bin/env bash
# Lints a fieldline package, of any architecture, beyond what the archive
# asks: Depends names SDL 1.2, the compatibility layer first; lintian has
# nothing to say at any level, pedantic and experimental included; the
# program is hardened.
# Usage: platforms/linux/lint_package.sh PACKAGE.deb
set -euo pipefail
deb=$1
name=$(basename "$deb")
depends=$(dpkg-deb -f "$deb" Depends)
# dpkg-shlibdeps runs with --ignore-missing-info: a failed lookup (in a
# cross build's sysroot, say) would quietly leave SDL out.
[[ $depends == *"libsdl1.2-compat-shim | libsdl1.2debian (>= "* ]] ||
  { echo "FAIL: $name does not depend on SDL 1.2, the compatibility layer first: $depends"; exit 1; }
tags=$(lintian -I -E --pedantic --tag-display-limit 0 "$deb" 2>/dev/null)
[ -z "$tags" ] || { echo "$tags"; echo "FAIL: lintian on $name"; exit 1; }
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
# Debian's flags (hardening=+all) give these five; control-flow protection
# is not among them on Debian 12.
hardening-check --quiet --nocfprotection "$unpacked/usr/bin/fieldline" 2>/dev/null ||
  { hardening-check "$unpacked/usr/bin/fieldline"; echo "FAIL: $name's program is not hardened"; exit 1; }
echo "$name: depends on $depends; lintian silent; PIE, stack protector, fortify, relro, bindnow"
