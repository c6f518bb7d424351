#!/usr/bin/env bash
# Builds the Windows setup program with NSIS from the Windows build and the
# icon that tools/icon draws in the native build (build/icons/kelvara.ico):
#   dist/make-setup.sh BUILD_WINDOWS_DIR ICON.ico [OUTPUT.exe]
#   (by default BUILD_WINDOWS_DIR/kelvara-VERSION-setup.exe)
# Prints where the setup program is.
set -euo pipefail
. "$(dirname "$0")/windows/stage.sh"
build=$(cd "$1" && pwd)
icon=$2
if [ ! -f "$icon" ]; then
  echo "no icon at $icon (the native build draws it: make build)" >&2
  exit 1
fi
if ! command -v makensis >/dev/null; then
  echo "makensis is missing (tools/install-deps.sh installs nsis)" >&2
  exit 1
fi
version=$(kv_windows_version "$build")
out=$(realpath -m "${3:-$build/kelvara-$version-setup.exe}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
kv_windows_stage "$build" "$work/stage" "$version"
cp "$icon" "$work/stage/kelvara.ico"
# Windows writes a version as four numbers.
IFS=. read -r major minor patch tweak <<<"$version"
numbers=${major:-0}.${minor:-0}.${patch:-0}.${tweak:-0}
rm -f "$out"
makensis -V2 -WX -DKV_VERSION="$version" -DKV_VERSION_NUMBERS="$numbers" \
  -DKV_STAGE="$work/stage" -DKV_OUTFILE="$out" "$kv_windows_src/dist/windows/kelvara.nsi" >&2
echo "$out"
