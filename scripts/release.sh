#!/usr/bin/env bash
# Gathers every platform's artifact into build/release/, with SHA256SUMS:
# the Debian packages for amd64, arm64 and armhf, the Windows zip and installer, the web
# site, the sources (the last commit's), and the source of the SDL that the
# zip's SDL.dll was built from. Run by make release, which sets VERSION and
# SOURCE_DATE_EPOCH; everything here is dated from the latter.
# Usage: scripts/release.sh
set -euo pipefail
cd "$(dirname "$0")/.."
: "${VERSION:?} ${SOURCE_DATE_EPOCH:?}"
release=build/release
rm -rf "$release" && mkdir -p "$release"

cp "build/package/fieldline_${VERSION}_amd64.deb" "$release/"
for arch in arm64 armhf; do
  platforms/cross/build.sh "$arch" "build/cross/$arch/package" -DFIELDLINE_TESTS=OFF
  (cd "build/cross/$arch/package" && umask 022 && cpack >&2)
  cp "build/cross/$arch/package/fieldline_${VERSION}_$arch.deb" "$release/"
done

cp "build/windows/fieldline-$VERSION-windows-x86_64.zip" "build/windows/fieldline-$VERSION-windows-x86_64.msi" "$release/"
# The LGPL asks that SDL.dll's source be offered with it: Debian's source
# package, as apt-get source fetched it.
cp build/windows/sdl-source/libsdl1.2_*.dsc build/windows/sdl-source/libsdl1.2_*.tar.* "$release/"

# Archives as tar --sort=name with one date, one owner and normal modes,
# gzipped without a name or time: the same files make the same bytes.
pack() { # archive, folder to pack from, what to pack
  tar --sort=name --mtime="@$SOURCE_DATE_EPOCH" --owner=0 --group=0 --numeric-owner \
    --mode=u=rwX,go=rX -C "$2" -cf - "${@:3}" | gzip -9n >"$1"
}
site=build/release-site/fieldline-$VERSION-web
rm -rf "$(dirname "$site")" && mkdir -p "$site"
cp -r build/web/site/. "$site/" && cp LICENSE "$site/"
pack "$release/fieldline-$VERSION-web.tar.gz" "$(dirname "$site")" "$(basename "$site")"
rm -rf "$(dirname "$site")"
git archive --format=tar --prefix="fieldline-$VERSION/" HEAD | gzip -9n >"$release/fieldline-$VERSION.tar.gz"

(cd "$release" && sha256sum -- * >SHA256SUMS)
echo "made $release:"
(cd "$release" && ls -l --time-style=+ -- *)
