#!/usr/bin/env bash
# Zips the Windows build with the README and the licence:
#   dist/make-zip.sh BUILD_WINDOWS_DIR   ->  BUILD_WINDOWS_DIR/kelvara-1.0-windows-x64.zip
set -euo pipefail
build=$(cd "$1" && pwd)
src=$(cd "$(dirname "$0")/.." && pwd)
out=$build/kelvara-1.0-windows-x64.zip
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
dir=$work/kelvara-1.0
mkdir -p "$dir"
cp "$build/kelvara.exe" "$dir/"
x86_64-w64-mingw32-strip "$dir/kelvara.exe"
# Notepad and friends want CRLF line ends.
sed 's/$/\r/' "$src/README.md" > "$dir/README.txt"
sed 's/$/\r/' "$src/LICENSE" > "$dir/LICENSE.txt"
rm -f "$out"
(cd "$work" && zip -q -X -r "$out" kelvara-1.0)
echo "$out"
