#!/usr/bin/env bash
# Records a short match in a private Xvfb with real X input, pauses it, and
# kills the program while paused: the file is cut short (as after a crash),
# and its last whole block ends on the paused picture, which stays on the
# screen once a windowed playback has run out. Makes
# tests/e2e/replays/paused-cut-short.kvr:
#   record_cut_short.sh KELVARA OUT
set -euo pipefail
kelvara=$1 out=$2
work=$(mktemp -d)
cleanup() {
  [ -n "${game:-}" ] && kill -9 "$game" 2>/dev/null || true
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"

"$kelvara" --record "$out" 2>"$work/stderr" &
game=$!
win=""
for _ in $(seq 100); do
  win=$(xdotool search --name '^Kelvara' 2>/dev/null | head -1 || true)
  [ -n "$win" ] && break
  sleep 0.1
done
[ -n "$win" ] || { echo "no game window"; cat "$work/stderr"; exit 1; }
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$win")"
cx=$((X + 500)) cy=$((Y + 49 + 300))
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
