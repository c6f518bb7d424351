#!/usr/bin/env bash
# Zips the Windows build with its README and the licence, for people who
# unpack and run:
#   dist/make-zip.sh BUILD_WINDOWS_DIR [OUTPUT.zip]
#   (by default BUILD_WINDOWS_DIR/kelvara-VERSION-windows-x64.zip)
set -euo pipefail
. "$(dirname "$0")/windows/stage.sh"
build=$(cd "$1" && pwd)
version=$(kv_windows_version "$build")
out=$(realpath -m "${2:-$build/kelvara-$version-windows-x64.zip}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
kv_windows_stage "$build" "$work/kelvara-$version" "$version"
rm -f "$out"
(cd "$work" && zip -q -X -r "$out" "kelvara-$version")
echo "$out"
