#!/usr/bin/env bash
# The installer as school IT deploys it, under Wine in a fresh prefix: a
# silent per-machine install of an older build, the upgrade to this one
# (files, shortcut, the Installed apps entry), the window test on the
# installed program, a refused downgrade, and a silent uninstall that
# leaves nothing, stdout.txt included.
# Usage: platforms/windows/check_msi.sh MSI OLDER_MSI SEND_CLOSE_REQUEST
set -euo pipefail
msi=$(realpath "$1")
older=$(realpath "$2")
send_close_request=$(realpath "$3")
cd "$(dirname "$0")/../.."
export WINEPREFIX=$PWD/build/windows/wine-msi
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
rm -rf "$WINEPREFIX"
trap 'wineserver -k 2>/dev/null || true' EXIT
installed=$WINEPREFIX/drive_c/Program\ Files/fieldline
failures=0
expect() { # what, then a command that must succeed
  if "${@:2}"; then echo "ok: $1"; else echo "FAIL: $1"; failures=$((failures + 1)); fi
}
# msiexec's exit status; Wine writes its registry to disk once its server ends.
msiexec() { local status=0; timeout 300 wine msiexec "$@" >/dev/null 2>&1 || status=$?; wineserver -w; return "$status"; }
# The values of every Installed apps entry named fieldline, one "name=value" a line.
entries() {
  awk '/^\[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\/ { block = ""; inside = 1; next }
       /^\[/ { inside = 0 }
       inside && /^"/ { block = block $0 "\n" }
       inside && /^$/ { if (block ~ /"DisplayName"="fieldline"/) printf "%s", block; inside = 0 }' \
    "$WINEPREFIX/system.reg"
}
has_entry() { grep -qxF "$1" <<<"$(entries)"; }
shortcut() { find "$WINEPREFIX/drive_c" -iname 'fieldline.lnk' | grep -q .; }
same_files() { [ "$(cd "$installed" && LC_ALL=C ls | tr '\n' ' ')" = "$1" ]; }

timeout 300 wine wineboot --init >/dev/null 2>&1 || true
wineserver -w

expect "an older build installs silently" msiexec /i "$older" /qn
expect "it is listed as 0.0.1" has_entry '"DisplayVersion"="0.0.1"'
expect "this build upgrades it silently" msiexec /i "$msi" /qn
expect "one entry in Installed apps" test "$(entries | grep -c '^"DisplayName"=')" -eq 1
for value in '"DisplayVersion"="'"${VERSION:?}"'"' '"Publisher"="the fieldline authors"' '"NoModify"=dword:00000001' \
  '"NoRepair"=dword:00000001'; do
  expect "the entry says $value" has_entry "$value"
done
expect "the entry has comments" eval 'entries | grep -q "^\"Comments\"=\"Draws"'
# Windows makes the entry's icon from these; Wine's msiexec writes no DisplayIcon.
expect "the entry's icon: ARPPRODUCTICON and its Icon row" \
  eval 'msiinfo export "$msi" Property | tr -d "\r" | grep -qx "ARPPRODUCTICON.fieldline.ico" && msiinfo streams "$msi" | grep -qx "Icon.fieldline.ico"'
expect "Program Files\\fieldline holds the program, SDL.dll and the texts" \
  same_files "COPYING-SDL.txt LICENSE.txt README-SDL.txt README.txt SDL.dll fieldline.exe "
expect "a Start menu shortcut" shortcut

tests/window_test.sh --launcher platforms/windows/wine_launcher.sh "$installed/fieldline.exe" "$send_close_request" ||
  failures=$((failures + 1))
# Wine's server outlives the window test's display: a fresh one for what follows.
wineserver -k 2>/dev/null || true

# A start-up failure writes SDL's stdout.txt into the program's folder.
SDL_VIDEODRIVER=no-such-driver timeout 120 wine "$installed/fieldline.exe" >/dev/null 2>&1 || true
wineserver -w
expect "a failed start wrote stdout.txt" test -s "$installed/stdout.txt"

expect "the older build is refused over this one" eval '! msiexec /i "$older" /qn'
expect "this one is still installed" has_entry '"DisplayVersion"="'"$VERSION"'"'

expect "it uninstalls silently" msiexec /x "$msi" /qn
expect "nothing left in Program Files, stdout.txt included" test ! -e "$installed"
expect "no shortcut left" eval '! shortcut'
expect "no entry left in Installed apps" test -z "$(entries)"
expect "no registry key of its own left" eval '! grep -q "^\[Software\\\\\\\\fieldline\]" "$WINEPREFIX/system.reg"'
[ "$failures" -eq 0 ] && echo "the installer: installed, upgraded, run, downgrade refused, uninstalled"
[ "$failures" -eq 0 ]
