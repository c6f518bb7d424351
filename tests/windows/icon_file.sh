#!/usr/bin/env bash
# The Windows icon that tools/icon writes beside the theme's PNGs holds the
# sizes Windows picks from, and each is the same picture as the PNG of that
# size, pixel for pixel and alpha included. Read by ImageMagick, a reader
# of its own.
#   icon_file.sh <icon folder>
set -u
dir=$1
ico=$dir/kelvara.ico
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
kv_fail() {
  echo "FAIL: $*" >&2
  exit 1
}
[ -f "$ico" ] || kv_fail "no $ico"
sizes=$(identify -format '%wx%h ' "$ico" 2>&1) || kv_fail "ImageMagick cannot read $ico: $sizes"
[ "$sizes" = "16x16 24x24 32x32 48x48 64x64 256x256 " ] || kv_fail "the icon's sizes are $sizes"
index=0
for size in 16 24 32 48 64 256; do
  # 24 has no PNG of its own: only its size is checked.
  if [ -f "$dir/kelvara-$size.png" ]; then
    convert "$ico[$index]" "PNG32:$tmp/$size.png" || kv_fail "cannot take image $index out of $ico"
    diff=$(compare -metric AE "PNG32:$dir/kelvara-$size.png" "$tmp/$size.png" null: 2>&1)
    [ "$diff" = "0" ] || kv_fail "the icon's ${size}x$size image differs from kelvara-$size.png in $diff pixels"
  fi
  index=$((index + 1))
done
echo "kelvara.ico: $sizes"
