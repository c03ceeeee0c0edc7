#!/usr/bin/env bash
# Checks build/release/ as a downloader would: every sum in SHA256SUMS, and
# what each artifact holds.
# Usage: scripts/check_release.sh   (VERSION set, as make check-release does)
set -euo pipefail
cd "$(dirname "$0")/.."
: "${VERSION:?}"
sources=$PWD
release=$PWD/build/release
cd "$release"
sha256sum --quiet -c SHA256SUMS
echo "SHA256SUMS: every sum matches"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
has_all() { # listing, then the names it must hold
  local listing=$1 name
  shift
  for name in "$@"; do grep -qx -- "$name" <<<"$listing" || fail "no $name"; done
}

for arch in amd64 arm64 armhf; do
  deb=fieldline_${VERSION}_$arch.deb
  [ "$(dpkg-deb -f "$deb" Package Version Architecture | tr '\n' ' ')" = "Package: fieldline Version: $VERSION Architecture: $arch " ] ||
    fail "$deb: control fields $(dpkg-deb -f "$deb" Package Version Architecture | tr '\n' ' ')"
  has_all "$(dpkg-deb -c "$deb" | awk '{ print $6 }')" ./usr/bin/fieldline ./usr/share/man/man1/fieldline.1.gz \
    ./usr/share/applications/io.github.fieldline.desktop ./usr/share/metainfo/io.github.fieldline.metainfo.xml \
    ./usr/share/icons/hicolor/48x48/apps/fieldline.png ./usr/share/icons/hicolor/256x256/apps/fieldline.png \
    ./usr/share/doc/fieldline/copyright ./usr/share/doc/fieldline/changelog.gz
  "$OLDPWD/platforms/linux/lint_package.sh" "$deb" || failures=$((failures + 1))
done

zip=fieldline-$VERSION-windows-x86_64.zip
[ "$(unzip -Z1 "$zip" | tr '\n' ' ')" = "fieldline/ fieldline/COPYING-SDL.txt fieldline/LICENSE.txt fieldline/README-SDL.txt fieldline/README.txt fieldline/SDL.dll fieldline/fieldline.exe " ] ||
  fail "$zip holds $(unzip -Z1 "$zip" | tr '\n' ' ')"
echo "$zip: the program, SDL.dll, README, licences"

# The installer: a per-machine x64 package of this version, the zip's files
# under Program Files\fieldline, the upgrade rows and the rows that remove
# SDL's stdout.txt on uninstall.
msi=${zip%.zip}.msi
summary=$(msiinfo suminfo "$msi")
grep -qx "Template: x64;1033" <<<"$summary" || fail "$msi is not for x64: $(grep Template <<<"$summary")"
grep -qx "Subject: fieldline $VERSION installer" <<<"$summary" || fail "$msi does not say $VERSION"
grep -qx "Security: 2 (2)" <<<"$summary" || fail "$msi's summary: $summary"
property() { msiinfo export "$msi" Property | tr -d '\r' | awk -F'\t' -v name="$1" '$1 == name { print $2 }'; }
[ "$(property ProductVersion)" = "$VERSION" ] && [ "$(property ALLUSERS)" = 1 ] &&
  [ "$(property ARPNOMODIFY)" = 1 ] && [ "$(property ARPNOREPAIR)" = 1 ] ||
  fail "$msi's properties: $(msiinfo export "$msi" Property | tr '\r\n' '  ')"
[ "$(msiinfo export "$msi" Upgrade | grep -c WIX_)" -eq 2 ] || fail "$msi has no upgrade and downgrade rows"
[ "$(msiinfo export "$msi" RemoveFile | grep -cE 'std(out|err)\.txt')" -eq 2 ] || fail "$msi does not remove stdout.txt"
[ "$(msiextract -l "$msi" | LC_ALL=C sort | tr '\n' ' ')" = "fieldline/COPYING-SDL.txt fieldline/LICENSE.txt fieldline/README-SDL.txt fieldline/README.txt fieldline/SDL.dll fieldline/fieldline.exe " ] ||
  fail "$msi holds $(msiextract -l "$msi" | tr '\n' ' ')"
echo "$msi: x64, per machine, $VERSION; upgrades, refuses downgrades, removes stdout.txt; the zip's files"

web=fieldline-$VERSION-web
listing=$(tar -tzf "$web.tar.gz")
has_all "$listing" "$web/index.html" "$web/fieldline.js" "$web/fieldline.wasm" "$web/manifest.webmanifest" \
  "$web/sw.js" "$web/icons/48.png" "$web/icons/192.png" "$web/icons/256.png" "$web/icons/512.png" "$web/LICENSE"
tar -xzOf "$web.tar.gz" "$web/index.html" | grep -q "fieldline $VERSION," || fail "$web: the page does not say $VERSION"
# A page for each language of po/, in its folder named by its tag.
has_all "$listing" $(for po in "$sources"/po/*.po; do tag=$(basename "$po" .po); echo "$web/${tag/_/-}/index.html"; done)
echo "$web.tar.gz: the site in every language, its version on the page, LICENSE"

source=fieldline-$VERSION
has_all "$(tar -tzf "$source.tar.gz")" "$source/LICENSE" "$source/README.md" "$source/src/main.cpp" "$source/Makefile"
tar -xzOf "$source.tar.gz" "$source/CMakeLists.txt" | grep -q "^project(fieldline VERSION $VERSION " ||
  fail "$source.tar.gz is not version $VERSION"
echo "$source.tar.gz: the sources of version $VERSION"

# SDL's source package: the files its .dsc names, with the sums it gives.
dsc=$(ls libsdl1.2_*.dsc)
awk '/^Checksums-Sha256:/ { on = 1; next } /^[^ ]/ { on = 0 } on { print $1 "  " $3 }' "$dsc" |
  sha256sum --quiet -c - || fail "$dsc: its files do not match it"
echo "$dsc: the archives it names, matching"
[ "$failures" -eq 0 ]
