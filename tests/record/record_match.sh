#!/usr/bin/env bash
# Plays a match in a private Xvfb with real X input (xdotool) and records
# it, then checks that the recording verifies headless.
#   record_match.sh KELVARA OUT LEVEL [SECONDS] [VERIFYING_KELVARA]
# LEVEL is easy, medium, hard or champion; SECONDS of play (45 or more
# reaches the verdict). The session chooses the level from the menu, plays,
# pauses, opens a menu during play and the About box, starts a New Game,
# has the window made larger (as a window manager that ignores the fixed
# size would), plays on, and leaves through File, Exit. KV_RECORD_ARGS: more
# options for the recording program (see recording_session.sh).
set -euo pipefail
kelvara=$1 out=$2 level=$3 seconds=${4:-4} verifier=${5:-$1}
. "$(dirname "$0")/recording_session.sh"
kv_start_recording "$kelvara" "$out"

key() { xdotool key "$@"; sleep 0.3; }
case $level in
  easy) letter=e ;; medium) letter=m ;; hard) letter=h ;; champion) letter=c ;;
  *) echo "unknown level $level"; exit 2 ;;
esac
key alt+d "$letter"

play() {  # sweeps the player about for $1 seconds
  local end=$((SECONDS + $1)) i=0
  while [ $SECONDS -lt $end ]; do
    xdotool mousemove_relative -- $(( (i % 8 < 4) ? 12 : -12 )) $(( (i % 6 < 3) ? 7 : -7 ))
    i=$((i + 1))
    sleep 0.03
  done
}
xdotool mousemove $((cx - 200)) "$cy" click 1
play "$(( seconds / 2 + 1 ))"
xdotool click 3; sleep 0.3                  # pause
key alt+h a; sleep 0.5; key Return          # the About box during a pause
xdotool mousemove $((cx - 200)) "$cy" click 1
play 1
key alt+d "$letter"; sleep 0.3              # a menu opened during play
xdotool click 1
play "$(( seconds / 2 + 1 ))"
[ "$seconds" -ge 45 ] && { play 2; sleep 1; } # the verdict stays a moment
key alt+f n                                 # New Game
xdotool windowsize "$win" 1100 700; sleep 0.3 # a manager widens the window
xdotool mousemove $((cx - 200)) "$cy" click 1
play 1
key alt+f x                                 # File, Exit
for _ in $(seq 100); do kill -0 "$game" 2>/dev/null || break; sleep 0.1; done
wait "$game" || { echo "the recording program failed: $?"; cat "$work/stderr"; exit 1; }
game=""
"$verifier" --replay "$out" --verify
# The replay runs as recorded whatever options it is given (the recording
# keeps the command line): with the recording's own options it matches too.
if [ -n "${KV_RECORD_ARGS:-}" ]; then
  # shellcheck disable=SC2086
  "$verifier" --replay "$out" --verify ${KV_RECORD_ARGS}
fi
