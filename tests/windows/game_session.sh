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

# Under a bare X server Wine draws the caption itself and the X window
# begins at the menu bar (about 19 pixels high); the pitch fills the client
# area below it.
eval "$(xdotool getwindowgeometry --shell "$window")"

# The frames reach the screen: a point of open grass, away from the
# markings, the players and the score lines, shows the pitch's green.
grass=""
deadline=$((SECONDS + 60))
while [ $SECONDS -lt $deadline ]; do
  grass=$(kv_screen_pixel $((X + 300)) $((Y + 19 + 450)))
  [ "$grass" = "008000" ] && break
  sleep 0.25
done
[ "$grass" = "008000" ] || kv_fail "the pitch's grass is not on screen (pixel $grass)"

# A left click on the pitch starts play; moving the mouse steers the left
# player.
px=$((X + 500))
py=$((Y + 340))
timeout 10 xdotool mousemove --sync "$px" "$py"
sleep 0.5
xdotool click 1
sleep 0.3
for step in 1 2 3 4 5 6; do
  xdotool mousemove_relative -- 6 -4
  sleep 0.1
done

# The first refresh after the click may still show 0 seconds; wait for one
# that covers at least a second of play.
pattern='^Kelvara - Time Ellapsed: (-?[0-9]+) - FPS: ([0-9]+)$'
# Until play shows in the title, click again now and then: a goal stops play
# until the next click, and a click that came while Wine was still busy
# starting may not have reached the game.
title=""
deadline=$((SECONDS + 60))
next_click=$((SECONDS + 5))
while [ $SECONDS -lt $deadline ]; do
  title=$(kv_window_name "$window")
  if [[ "$title" =~ $pattern ]] && [ "${BASH_REMATCH[1]}" -ge 1 ] && [ "${BASH_REMATCH[2]}" -ge 1 ]; then
    break
  fi
  if [[ -n "$title" && "$title" != "Kelvara" && ! "$title" =~ $pattern ]]; then
    kv_fail "the title \"$title\" is not the statistics line"
  fi
  if [ $SECONDS -ge $next_click ]; then
    xdotool click 1
    next_click=$((SECONDS + 5))
  fi
  sleep 0.25
done
[[ "$title" =~ $pattern ]] && [ "${BASH_REMATCH[1]}" -ge 1 ] ||
  kv_fail "no statistics line after a second of play; the title is \"$title\""
echo "title after play: \"$title\""

# Under load the menu may open too late for the next key or click; an
# attempt that leaves the program running is closed with Escape and tried
# again.
leave_by_menu() {
  case "$mode" in
    keys)
      before=$(kv_viewable_windows | wc -l)
      xdotool key --clearmodifiers alt+f
      kv_wait_more_windows "$before" 15 || echo "no drop-down seen after Alt+F"
      xdotool key x
      ;;
    click)
      # Pause first: while play runs the cursor is held on the player.
      xdotool click 3
      sleep 0.5
      # Exit is the second item of the drop-down below "File", about 16
      # pixels per item.
      before=$(kv_viewable_windows | wc -l)
      timeout 10 xdotool mousemove --sync $((X + 12)) $((Y + 10)) click 1
      kv_wait_more_windows "$before" 15 || echo "no drop-down seen after clicking File"
      timeout 10 xdotool mousemove --sync $((X + 30)) $((Y + 46)) click 1
      ;;
    *)
      kv_fail "unknown mode $mode"
      ;;
  esac
}

ended=no
for attempt in 1 2 3; do
  leave_by_menu
  if kv_wait_exit 20; then
    ended=yes
    break
  fi
  echo "attempt $attempt: the program is still running"
  xdotool key Escape
  sleep 0.3
  xdotool key Escape
  sleep 0.5
done
[ "$ended" = yes ] || kv_fail "the program did not end after File, Exit"
[ "$KV_EXIT_STATUS" = "0" ] || kv_fail "the program ended with exit code $KV_EXIT_STATUS, not 0"
echo "ended with exit code 0"
