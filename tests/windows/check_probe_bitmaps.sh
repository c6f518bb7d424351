#!/usr/bin/env bash
# The committed crafted pictures are exactly what their generator writes.
#   check_probe_bitmaps.sh <make_bitmaps> <committed folder>
set -u
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$1" "$tmp" || { echo "FAIL: the generator failed" >&2; exit 1; }
diff -r "$tmp" "$2" || { echo "FAIL: $2 is not what the generator writes; run it again" >&2; exit 1; }
echo "$(ls "$tmp" | wc -l) pictures match their generator"
