# Shared by the tests that run Windows programs under Wine: the environment,
# a private Xvfb, and cleaning up everything a test started. Sourced.
#   KV_WINEPREFIX  the prefix to use (made by wine_prefix.sh)
set -u

export WINEPREFIX="${KV_WINEPREFIX:?KV_WINEPREFIX must name the Wine prefix}"
export WINEDEBUG=-all
# No Mono or Gecko: nothing here needs them, and Wine would offer to fetch them.
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
unset WAYLAND_DISPLAY

kv_fail() {
  echo "FAIL: $*" >&2
  exit 1
}

for tool in wine wineserver Xvfb xdotool xprop xwininfo import; do
  command -v "$tool" >/dev/null || kv_fail "$tool is not installed (tools/install-deps.sh installs it)"
done

KV_XVFB_PID=""
KV_WINE_PID=""

kv_cleanup() {
  if [ -n "$KV_WINE_PID" ] && kill -0 "$KV_WINE_PID" 2>/dev/null; then
    kill "$KV_WINE_PID" 2>/dev/null
  fi
  # Ends every Wine process of this prefix: the tests share it one at a time.
  # Waits for the server itself too, or the next test's Wine may meet it
  # still saving the registry on its way out.
  wineserver -k 2>/dev/null
  timeout 60 wineserver -w 2>/dev/null
  if [ -n "$KV_XVFB_PID" ]; then
    kill "$KV_XVFB_PID" 2>/dev/null
    wait "$KV_XVFB_PID" 2>/dev/null
  fi
  [ -n "${KV_TMP:-}" ] && rm -rf "$KV_TMP"
  return 0
}
trap kv_cleanup EXIT
trap 'exit 1' INT TERM

KV_TMP=$(mktemp -d)

# Starts a private X server on a free display number and exports DISPLAY.
kv_start_xvfb() {
  local fifo="$KV_TMP/displayfd"
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$fifo" 2>"$KV_TMP/xvfb.log" &
  KV_XVFB_PID=$!
  local number=""
  # Generous: under load the server's start-up (keymap compiling) is slow.
  read -r -t 60 number <"$fifo" || true
  [ -n "$number" ] || kv_fail "Xvfb did not start: $(cat "$KV_TMP/xvfb.log")"
  export DISPLAY=":$number"
}

# Waits up to $2 seconds for a window whose name matches the regular
# expression $1 and prints its id.
kv_wait_window() {
  local pattern=$1 seconds=$2 id=""
  local deadline=$((SECONDS + seconds))
  while [ $SECONDS -lt $deadline ]; do
    id=$(xdotool search --onlyvisible --name "$pattern" 2>/dev/null | head -n 1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    if [ -n "$KV_WINE_PID" ] && ! kill -0 "$KV_WINE_PID" 2>/dev/null; then return 1; fi
    sleep 0.2
  done
  return 1
}

# The ids of the top-level windows on the screen, one a line.
kv_viewable_windows() {
  local id
  for id in $(xwininfo -root -children 2>/dev/null | sed -n 's/^ *\(0x[0-9a-fA-F]*\) .*/\1/p'); do
    xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable' && echo "$id"
  done
  return 0
}

# Waits up to $2 seconds until more than $1 top-level windows are on the
# screen (a menu's drop-down has opened).
kv_wait_more_windows() {
  local before=$1 deadline=$((SECONDS + $2))
  while [ $SECONDS -lt $deadline ]; do
    [ "$(kv_viewable_windows | wc -l)" -gt "$before" ] && return 0
    sleep 0.1
  done
  return 1
}

# The window's WM_NAME as plain text.
kv_window_name() {
  xprop -id "$1" WM_NAME 2>/dev/null | sed -n 's/^WM_NAME([A-Z_]*) = "\(.*\)"$/\1/p'
}

# Waits up to $1 seconds for the program started as KV_WINE_PID to end and
# puts its exit status in KV_EXIT_STATUS; fails when it does not end. Not to
# be called in a subshell: only this shell can collect its child's status.
kv_wait_exit() {
  local seconds=$1
  local deadline=$((SECONDS + seconds))
  while kill -0 "$KV_WINE_PID" 2>/dev/null; do
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.2
  done
  KV_EXIT_STATUS=0
  wait "$KV_WINE_PID" || KV_EXIT_STATUS=$?
  KV_WINE_PID=""
}

# The colour of one screen pixel as RRGGBB.
kv_screen_pixel() {
  import -window root -crop "1x1+$1+$2" -depth 8 txt:- 2>/dev/null |
    sed -n 's/.*#\([0-9A-Fa-f]\{6\}\).*/\1/p' | head -n 1
}
