#!/usr/bin/env bash
# Builds the .deb from this build and runs lintian on it: no errors allowed;
# warnings are printed for the record.
set -uo pipefail
src=$1 build=$2 deb=$3
"$src/dist/make-deb.sh" "$build" "$deb" || { echo "make-deb.sh failed"; exit 1; }
# The package holds what the program needs and nothing of the tests.
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for f in ./usr/games/kelvara ./usr/share/applications/kelvara.desktop \
         ./usr/share/icons/hicolor/256x256/apps/kelvara.png \
         ./usr/share/icons/hicolor/scalable/apps/kelvara.svg \
         ./usr/share/metainfo/io.github.kelvara.Kelvara.metainfo.xml \
         ./usr/share/man/man6/kelvara.6.gz ./usr/share/doc/kelvara/copyright; do
  grep -qx "$f" <<<"$contents" || { echo "missing from the package: $f"; exit 1; }
done
if grep -q test <<<"$contents"; then echo "test files in the package"; exit 1; fi
# The package is of the release the build names.
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] && [ "$(dpkg-deb -f "$deb" Version)" = "$version" ] ||
  { echo "package version $(dpkg-deb -f "$deb" Version), the build's '$version'"; exit 1; }
depends=$(dpkg-deb -f "$deb" Depends)
for d in libx11-6 libfreetype6 libfontconfig1 libwayland-client0 libwayland-cursor0 libxkbcommon0 \
  libdecor-0-0 libdecor-0-plugin-1-cairo fonts-liberation fonts-dejavu-core fonts-wine; do
  grep -q "$d" <<<"$depends" || { echo "Depends lacks $d: $depends"; exit 1; }
done
out=$(lintian --allow-root "$deb" 2>&1)
status=$?
echo "$out"
if grep -q '^E:' <<<"$out"; then echo "lintian reports errors"; exit 1; fi
# lintian's own failure (not a finding) must not pass unseen.
[ $status -eq 0 ] || grep -q '^[WIPX]:' <<<"$out" || { echo "lintian failed ($status)"; exit 1; }
echo "lintian: no errors"
