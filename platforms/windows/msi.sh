#!/usr/bin/env bash
# Builds the Windows installer from the zip's folder with wixl, then adds
# with msibuild what wixl cannot write: the rows that remove SDL's
# stdout.txt and stderr.txt on uninstall, and a PackageCode. The same
# sources make the same bytes: both codes derive from the version, and
# every date (the files', the summary's) is SOURCE_DATE_EPOCH.
# Usage: platforms/windows/msi.sh FOLDER VERSION ICON OUTPUT.msi   (SOURCE_DATE_EPOCH set)
set -euo pipefail
folder=$(realpath "$1")
version=$2
icon=$(realpath "$3")
output=$(realpath "$4")
wxs=$(realpath "$(dirname "$0")/fieldline.wxs")
: "${SOURCE_DATE_EPOCH:?}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A name-based UUID (SHA-1) in the installer's own namespace, its UpgradeCode.
uuid() {
  echo "string(UUID code NAMESPACE 6B0C5B2E-3F0A-4C53-9E57-2D2E6B1F9A41 NAME \"$1\" TYPE SHA1 UPPER)
message(\"\${code}\")" >"$work/uuid.cmake"
  cmake -P "$work/uuid.cmake" 2>&1
}
# wixl takes only relative paths to the files, from the folder it runs in.
cp -r "$folder" "$work/files" && cp "$icon" "$work/fieldline.ico"
touch -d "@$SOURCE_DATE_EPOCH" "$work/files"/* "$work/fieldline.ico"
cd "$work"
# wixl takes the summary's dates from the clock, which faketime stops there.
TZ=UTC faketime -f "$(date -u -d "@$SOURCE_DATE_EPOCH" '+%Y-%m-%d %H:%M:%S')" \
  wixl -a x64 -D Version="$version" -D ProductCode="$(uuid "fieldline $version product")" \
  -D Source=files -D Icon=fieldline.ico -o fieldline.msi "$wxs"
# On a start-up failure SDL writes the program's line to stdout.txt beside
# it (and stderr.txt, should it die first): neither may keep the folder.
for file in stdout.txt stderr.txt; do
  msibuild fieldline.msi -q "INSERT INTO \`RemoveFile\` (\`FileKey\`, \`Component_\`, \`FileName\`, \
\`DirProperty\`, \`InstallMode\`) VALUES ('Remove_$file', 'Program', '$file', 'INSTALLDIR', 2)"
done
TZ=UTC faketime -f "$(date -u -d "@$SOURCE_DATE_EPOCH" '+%Y-%m-%d %H:%M:%S')" \
  msibuild fieldline.msi -s "fieldline $version installer" "the fieldline authors" "x64;1033" \
  "{$(uuid "fieldline $version package")}"
cp fieldline.msi "$output"
