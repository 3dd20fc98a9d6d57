#!/usr/bin/env bash
# Builds the release programs for i686 and x86_64, stages each set with its
# help, licence and read-me (and the launcher's icon for the installer),
# zips each set, makes the installer when its
# script is there, and checks what it made (scripts/check-packages.sh). All
# of it lands in $build/packages/; exits non-zero when anything fails.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${VORLANE_BUILD_DIR:-$root/build}"

bash "$root/scripts/setup.sh"
source "$root/scripts/build.sh"

fail() {
  echo "package: $*" >&2
  exit 1
}

version="$(sed -nE 's/^#define VORLANE_VERSION_TEXT "([^"]+)"$/\1/p' \
  "$root/resources/version.h")"
[ -n "$version" ] || fail "no VORLANE_VERSION_TEXT in resources/version.h"
# The four numbers of a Windows version block, as the programs' own carry.
version_numbers="$(for part in MAJOR MINOR PATCH; do
  sed -nE "s/^#define VORLANE_VERSION_${part} ([0-9]+)$/\1/p" "$root/resources/version.h"
done | paste -sd.).0"
[[ "$version_numbers" =~ ^[0-9]+\.[0-9]+\.[0-9]+\.0$ ]] ||
  fail "no version numbers in resources/version.h"

help_file="$root/resources/help/Vorlane.html"
[ -f "$help_file" ] || fail "the user guide $help_file is missing"

out="$build/packages"
stage="$out/stage"
rm -rf "$out"
mkdir -p "$stage"

# Text for Windows users gets Windows line ends, whatever the checkout has.
crlf() {
  sed -e 's/\r$//' -e 's/$/\r/' "$1" >"$2"
}

for arch in i686 x86_64; do
  vorlane_build_release "$arch"
  dir="$stage/$arch"
  mkdir -p "$dir"
  for file in Vorlane.exe config.exe Shellix.dll; do
    cp "$build/$arch/bin/$file" "$dir/"
  done
  cp "$help_file" "$dir/Vorlane.html"
  crlf "$root/packaging/LICENSE.txt" "$dir/LICENSE.txt"
  crlf "$root/packaging/README.txt" "$dir/README.txt"
done

# The setup program and its uninstaller show the launcher's own icon, as
# the release build drew it from its text drawing.
icon="$build/x86_64/resources/icons/tray.ico"
[ -f "$icon" ] || fail "the launcher's icon $icon was not built"
cp "$icon" "$stage/Vorlane.ico"

# One folder "Vorlane" in each zip, files in a fixed order with fixed times
# (the last commit's) and no extra attributes, so that the same programs
# give the same zip.
stamp="${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null || date +%s)}"
for arch in i686 x86_64; do
  zip_file="$out/Vorlane-$version-$arch.zip"
  tree="$(mktemp -d)"
  mkdir "$tree/Vorlane"
  cp "$stage/$arch"/* "$tree/Vorlane/"
  touch -d "@$stamp" "$tree/Vorlane" "$tree/Vorlane"/*
  (cd "$tree" && TZ=UTC zip -q -X -D "$zip_file" Vorlane/Vorlane.exe \
    Vorlane/config.exe Vorlane/Shellix.dll Vorlane/Vorlane.html \
    Vorlane/LICENSE.txt Vorlane/README.txt)
  rm -rf "$tree"
done

nsi="$root/packaging/vorlane.nsi"
if [ -f "$nsi" ]; then
  echo "== installer"
  makensis -V2 -DVERSION="$version" -DVERSION_NUMBERS="$version_numbers" -DSTAGE_DIR="$stage" \
    -DOUT_FILE="$out/Vorlane-$version-setup.exe" "$nsi" ||
    fail "makensis failed on $nsi"
else
  echo "package: no packaging/vorlane.nsi, so no installer"
fi

bash "$root/scripts/check-packages.sh" "$out" "$version"
