#!/usr/bin/env bash
# The drawing layer against the real one: runs the drawing probe on our own
# layer and, as a Windows program, under Wine, and compares the two pixel
# dumps. On a difference the pictures of both sides are left beside the
# dumps as PPM files.
#   probe_diff.sh <native probe> <gdi_probe.exe> <compare tool> <wine prefix> <output folder>
set -u
native=$1
windows=$2
compare=$3
KV_WINEPREFIX=$4
out=$5
. "$(dirname "$0")/wine_session.sh"

[ -x "$native" ] || kv_fail "no native probe at $native"
[ -f "$windows" ] || kv_fail "no Windows probe at $windows"
rm -rf "$out"
mkdir -p "$out/differences"

"$native" "$out/native.dump" || kv_fail "the native probe failed"

# The Windows side under a real X screen, as the game runs: bitmaps loaded
# there take the format of that display.
kv_start_xvfb
(cd "$out" && timeout 180 wine "$windows" windows.dump) || kv_fail "the Windows probe failed under Wine"

# Wine's drawing is the reference.
"$compare" "$out/windows.dump" "$out/native.dump" "$out/differences"
