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
