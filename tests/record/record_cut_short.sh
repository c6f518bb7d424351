#!/usr/bin/env bash
# Records a short match in a private Xvfb with real X input, pauses it, and
# kills the program while paused: the file is cut short (as after a crash),
# and its last whole block ends on the paused picture, which stays on the
# screen once a windowed playback has run out. Makes
# tests/e2e/replays/paused-cut-short.kvr:
#   record_cut_short.sh KELVARA OUT
set -euo pipefail
kelvara=$1 out=$2
. "$(dirname "$0")/recording_session.sh"
kv_start_recording "$kelvara" "$out"
xdotool mousemove $((cx - 200)) "$cy" click 1
for i in $(seq 15); do
  xdotool mousemove_relative -- $(( (i % 8 < 4) ? 12 : -12 )) $(( (i % 6 < 3) ? 7 : -7 ))
  sleep 0.03
done
xdotool click 3   # pause
sleep 2.5         # blocks end about once a second, on the paused picture
kill -9 "$game"
wait "$game" 2>/dev/null || true
game=""
ls -l "$out"
