# Shared by the scripts that record a match with real X input: a private
# Xvfb, the program recording into a file, and where its pitch is. Sourced
# after `set -euo pipefail`; cleans up on exit.
#   kv_start_recording KELVARA OUT
#     sets game (the program's pid), win (its window), cx, cy (the pitch's
#     centre on the screen). KV_RECORD_ARGS, when set, are more options for
#     the recording program ("--pace 500").
work=$(mktemp -d)
cleanup() {
  [ -n "${game:-}" ] && kill -9 "$game" 2>/dev/null || true
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

kv_start_recording() {
  # -noreset: the server must not reset when a short-lived client (xdotool)
  # leaves. Under load a server that has reported its number may still turn
  # the first connections down, so the game starts once a client gets in.
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" 2>/dev/null &
  xvfb=$!
  for _ in $(seq 300); do grep -q . "$work/display" 2>/dev/null && break; sleep 0.1; done
  export DISPLAY=":$(head -n 1 "$work/display")"
  for _ in $(seq 100); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done

  # shellcheck disable=SC2086
  "$1" --record "$2" ${KV_RECORD_ARGS:-} 2>"$work/stderr" &
  game=$!
  win=""
  for _ in $(seq 100); do
    win=$(xdotool search --name '^Kelvara' 2>/dev/null | head -1 || true)
    [ -n "$win" ] && break
    sleep 0.1
  done
  [ -n "$win" ] || { echo "no game window"; cat "$work/stderr"; exit 1; }
  sleep 0.5
  eval "$(xdotool getwindowgeometry --shell "$win")"  # X, Y: the window's corner
  cx=$((X + 500)) cy=$((Y + 49 + 300))
}
