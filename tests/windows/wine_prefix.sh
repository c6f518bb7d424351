#!/usr/bin/env bash
# Makes the Wine prefix that the Windows tests share, once; later runs reuse
# it. Runs without a display: nothing here needs one.
#   wine_prefix.sh <prefix folder>
set -u
KV_WINEPREFIX=$1
. "$(dirname "$0")/wine_session.sh"
unset DISPLAY

if [ -f "$WINEPREFIX/.kv-ready" ] && [ -f "$WINEPREFIX/system.reg" ]; then
  echo "Wine prefix ready: $WINEPREFIX"
  exit 0
fi
# A server left over from an interrupted run must not keep the old prefix
# open while it is made again.
wineserver -k 2>/dev/null
timeout 60 wineserver -w 2>/dev/null
rm -rf "$WINEPREFIX"
mkdir -p "$WINEPREFIX"
timeout 300 wineboot --init >"$KV_TMP/wineboot.log" 2>&1 || {
  cat "$KV_TMP/wineboot.log" >&2
  kv_fail "wineboot could not set up $WINEPREFIX"
}
timeout 120 wineserver -w
[ -f "$WINEPREFIX/system.reg" ] || kv_fail "wineboot left no registry in $WINEPREFIX"
touch "$WINEPREFIX/.kv-ready"
echo "Wine prefix made: $WINEPREFIX"
