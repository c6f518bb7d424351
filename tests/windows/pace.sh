#!/usr/bin/env bash
# The Windows build's --pace under Wine: its waitable timer and its wait for
# input or the time keep the frames to the pace. At --pace 100 the title's
# frames per second, which the game computes itself, reads about 100 from
# the tenth second of play on: not more (the pump waits), and not the 64 a
# wait at Windows' default 15.6 ms tick would give. The floor leaves room
# for a machine busy with other tests (a loaded one read 87).
#   pace.sh <kelvara.exe> <wine prefix>
set -u
exe=$1
KV_WINEPREFIX=$2
. "$(dirname "$0")/wine_session.sh"

[ -f "$exe" ] || kv_fail "no Windows build at $exe"
kv_start_xvfb

wine "$exe" --pace 100 >"$KV_TMP/wine.log" 2>&1 &
KV_WINE_PID=$!
window=$(kv_wait_window '^Kelvara$' 180) || {
  cat "$KV_TMP/wine.log" >&2
  kv_fail "no window titled Kelvara appeared"
}
eval "$(xdotool getwindowgeometry --shell "$window")"
timeout 10 xdotool mousemove --sync $((X + 500)) $((Y + 340))
sleep 0.5
xdotool click 1

# The title divides the frames by the whole seconds of play: from the tenth
# second on, a steady 100 reads 100 to 110. A goal stops play (the title then
# stands still) until the next click.
pattern='^Kelvara - Time Ellapsed: ([0-9]+) - FPS: ([0-9]+)$'
readings=()
last=""
deadline=$((SECONDS + 120))
while [ $SECONDS -lt $deadline ] && [ ${#readings[@]} -lt 3 ]; do
  title=$(kv_window_name "$window")
  if [ "$title" = "$last" ]; then
    xdotool click 1
  elif [[ "$title" =~ $pattern ]] && [ "${BASH_REMATCH[1]}" -ge 10 ]; then
    readings+=("${BASH_REMATCH[2]}")
  fi
  last=$title
  sleep 1
done
[ ${#readings[@]} -eq 3 ] || kv_fail "no three titles after ten seconds of play; the last: \"$title\""
echo "frames per second at --pace 100: ${readings[*]}"
for fps in "${readings[@]}"; do
  [ "$fps" -ge 80 ] && [ "$fps" -le 111 ] || kv_fail "at --pace 100 the title reads $fps frames a second"
done
