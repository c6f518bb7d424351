# Shared by the tests that run Windows programs under Wine: the environment,
# a private Xvfb, and cleaning up everything a test started. Sourced.
#   KV_WINEPREFIX  the prefix to use (made by wine_prefix.sh)
set -u

export WINEPREFIX="${KV_WINEPREFIX:?KV_WINEPREFIX must name the Wine prefix}"
export WINEDEBUG=-all
# No Mono or Gecko: nothing here needs them, and Wine would offer to fetch them.
# No menu builder: it would copy every Start-menu shortcut into the desktop
# menus of the user running the tests, outside the prefix.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
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

# The window's place on the screen: sets X and Y (and WIDTH, HEIGHT).
kv_window_geometry() {
  eval "$(xdotool getwindowgeometry --shell "$1")"
}

# Plays the game in window $1 as a person would: a left click on the pitch
# starts play, moving the mouse steers the left player, until the title
# carries the statistics line after at least a second of play. Sets
# KV_TITLE; fails when the title says something else or never gets there.
kv_play_until_stats() {
  local window=$1
  kv_window_geometry "$window"
  # Under a bare X server Wine draws the caption itself and the X window
  # begins at the menu bar; the pitch fills the client area below it.
  timeout 10 xdotool mousemove --sync $((X + 500)) $((Y + 340))
  sleep 0.5
  xdotool click 1
  sleep 0.3
  local step
  for step in 1 2 3 4 5 6; do
    xdotool mousemove_relative -- 6 -4
    sleep 0.1
  done

  # The first refresh after the click may still show 0 seconds; wait for one
  # that covers at least a second of play. Until then click again now and
  # then: a goal stops play until the next click, and a click that came
  # while Wine was still busy starting may not have reached the game.
  local pattern='^Kelvara - Time Ellapsed: (-?[0-9]+) - FPS: ([0-9]+)$'
  local deadline=$((SECONDS + 60)) next_click=$((SECONDS + 5))
  KV_TITLE=""
  while [ $SECONDS -lt $deadline ]; do
    KV_TITLE=$(kv_window_name "$window")
    if [[ "$KV_TITLE" =~ $pattern ]] && [ "${BASH_REMATCH[1]}" -ge 1 ] &&
       [ "${BASH_REMATCH[2]}" -ge 1 ]; then
      return 0
    fi
    if [[ -n "$KV_TITLE" && "$KV_TITLE" != "Kelvara" && ! "$KV_TITLE" =~ $pattern ]]; then
      kv_fail "the title \"$KV_TITLE\" is not the statistics line"
    fi
    if [ $SECONDS -ge $next_click ]; then
      xdotool click 1
      next_click=$((SECONDS + 5))
    fi
    sleep 0.25
  done
  kv_fail "no statistics line after a second of play; the title is \"$KV_TITLE\""
}

# Leaves the game in window $1 through File, Exit and waits for the program
# (KV_WINE_PID) to end with exit code 0.
#   keys   Alt+F, X
#   click  pauses with the right button, then clicks File and Exit
# Under load the menu may open too late for the next key or click; an
# attempt that leaves the program running is closed with Escape and tried
# again.
kv_exit_by_menu() {
  local window=$1 mode=$2 attempt before
  kv_window_geometry "$window"
  for attempt in 1 2 3; do
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
    if kv_wait_exit 20; then
      [ "$KV_EXIT_STATUS" = "0" ] || kv_fail "the program ended with exit code $KV_EXIT_STATUS, not 0"
      return 0
    fi
    echo "attempt $attempt: the program is still running"
    xdotool key Escape
    sleep 0.3
    xdotool key Escape
    sleep 0.5
  done
  kv_fail "the program did not end after File, Exit"
}
