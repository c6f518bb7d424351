#!/usr/bin/env bash
# Runs the Windows build of the game under Wine in a private Xvfb and plays
# it as a person would: the window appears titled "Kelvara" and shows the
# pitch, a click and a mouse motion start play, after a second of play the
# title carries the statistics line, and File, Exit ends the program with
# exit code 0.
#   game_session.sh <kelvara.exe> <wine prefix> keys|click
#     keys   leaves through the menu with the keyboard (Alt+F, X)
#     click  pauses with the right button, then clicks File and Exit
set -u
exe=$1
KV_WINEPREFIX=$2
mode=${3:-keys}
. "$(dirname "$0")/wine_session.sh"

[ -f "$exe" ] || kv_fail "no Windows build at $exe"
kv_start_xvfb

wine "$exe" >"$KV_TMP/wine.log" 2>&1 &
KV_WINE_PID=$!

# Wine's first start in a prefix (its services, the desktop) is slow under
# load; the window's arrival is what counts.
window=$(kv_wait_window '^Kelvara$' 180) || {
  cat "$KV_TMP/wine.log" >&2
  kv_fail "no window titled Kelvara appeared"
}
name=$(kv_window_name "$window")
[ "$name" = "Kelvara" ] || kv_fail "the new window's title is \"$name\", not \"Kelvara\""
echo "window $window titled \"$name\""

# The frames reach the screen: a point of open grass, away from the
# markings, the players and the score lines, shows the pitch's green (the
# client area begins about 19 pixels below the X window, under the menu bar).
kv_window_geometry "$window"
grass=""
deadline=$((SECONDS + 60))
while [ $SECONDS -lt $deadline ]; do
  grass=$(kv_screen_pixel $((X + 300)) $((Y + 19 + 450)))
  [ "$grass" = "008000" ] && break
  sleep 0.25
done
[ "$grass" = "008000" ] || kv_fail "the pitch's grass is not on screen (pixel $grass)"

kv_play_until_stats "$window"
echo "title after play: \"$KV_TITLE\""

kv_exit_by_menu "$window" "$mode"
echo "ended with exit code 0"
