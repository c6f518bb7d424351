#!/usr/bin/env bash
# Builds the Debian binary package from a finished build directory:
#   dist/make-deb.sh BUILD_DIR [OUTPUT.deb]    (default BUILD_DIR/kelvara_VERSION_ARCH.deb)
# The program is installed under /usr into a staging folder, stripped; the
# runtime dependencies come from the binary (dpkg-shlibdeps), plus the fonts
# the game draws its text with.
set -euo pipefail
build=$(cd "$1" && pwd)
src=$(cd "$(dirname "$0")/.." && pwd)
# The release (version and date) as the build was configured with it.
cached() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt" 2>/dev/null; }
version=$(cached CMAKE_PROJECT_VERSION)
date=$(cached KV_RELEASE_DATE)
if [ -z "$version" ] || [ -z "$date" ]; then
  echo "make-deb.sh: no release version or date in $build/CMakeCache.txt: configure the build first" >&2
  exit 1
fi
released=$(LC_ALL=C date -u -R -d "$date")
arch=$(dpkg --print-architecture)
out=${2:-$build/kelvara_${version}_${arch}.deb}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
stage=$work/stage
DESTDIR=$stage cmake --install "$build" --prefix /usr --strip >/dev/null

# Debian keeps games in /usr/games; the menu entry names it there, as that
# folder is not on every session's path.
mkdir -p "$stage/usr/games"
mv "$stage/usr/bin/kelvara" "$stage/usr/games/kelvara"
rmdir "$stage/usr/bin"
sed -i 's|^Exec=kelvara |Exec=/usr/games/kelvara |' "$stage/usr/share/applications/kelvara.desktop"
doc=$stage/usr/share/doc/kelvara
gzip -9n "$stage/usr/share/man/man6/kelvara.6"
# Debian keeps the licence in its own copyright format, and a changelog.
rm -f "$doc/LICENSE"
{
  echo "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/"
  echo "Upstream-Name: kelvara"
  echo
  echo "Files: *"
  echo "Copyright: 2025 The Kelvara developers"
  echo "License: Expat"
  echo
  echo "License: Expat"
  sed -n '/^Permission/,$p' "$src/LICENSE" | sed 's/^$/./; s/^/ /'
} > "$doc/copyright"
{
  echo "kelvara ($version) unstable; urgency=medium"
  echo
  echo "  * First packaged release."
  echo
  echo " -- The Kelvara developers <kelvara@users.noreply.github.com>  $released"
} | gzip -9n > "$doc/changelog.gz"
find "$stage" -type d -exec chmod 0755 {} +
find "$stage" -type f -exec chmod 0644 {} +
chmod 0755 "$stage/usr/games/kelvara"

# dpkg-shlibdeps wants to run inside a source package. It finds the
# libraries the program links (Wayland's among them); libdecor loads the
# plugin that draws a window's frame on GNOME at run time, so that one is
# named by hand.
mkdir -p "$work/debian"
printf 'Source: kelvara\n\nPackage: kelvara\nArchitecture: any\n' > "$work/debian/control"
shlibs=$(cd "$work" && dpkg-shlibdeps -O "$stage/usr/games/kelvara" 2>/dev/null | sed -n 's/^shlibs:Depends=//p')

mkdir -p "$stage/DEBIAN"
size=$(du -k -s --exclude=DEBIAN "$stage" | cut -f1)
cat > "$stage/DEBIAN/control" <<CONTROL
Package: kelvara
Version: $version
Architecture: $arch
Maintainer: The Kelvara developers <kelvara@users.noreply.github.com>
Installed-Size: $size
Depends: $shlibs, libdecor-0-plugin-1-cairo | libdecor-0-plugin-1, fonts-liberation, fonts-dejavu-core, fonts-wine
Section: games
Priority: optional
Description: arcade football against the computer
 Kelvara is a small single-window football game: steer the left player
 with the mouse and score against the computer player in a 45-second
 match. Four difficulty levels; the --pace option keeps the game to a
 chosen number of frames per second.
CONTROL
(cd "$stage" && find usr -type f -exec md5sum {} + | sort -k2) > "$stage/DEBIAN/md5sums"
chmod 0644 "$stage/DEBIAN/control" "$stage/DEBIAN/md5sums"

fakeroot dpkg-deb --build -Zxz "$stage" "$out" >/dev/null
echo "$out"
