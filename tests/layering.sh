#!/usr/bin/env bash
# Every include points down, never up:
#  - the game stands on the windowing and drawing interface alone: it may
#    include platform/win32.h and nothing else of platform/, and no system
#    display or font header;
#  - within the game, the lower floors (sim/, render/, timing/, state/) do
#    not include app/;
#  - within the platform, rt includes no gdi, user or backend; gdi no user
#    or backend; user no backend (x11/, headless/, web/, entry/), and
#    nothing below the backend table includes the recorder.
set -u
root=${1:-$(dirname "$0")/..}
status=0

# check DESCRIPTION PATTERN FOLDER...: fails when a file in the folders
# includes a header matching PATTERN.
check() {
  local what=$1 pattern=$2
  shift 2
  local dirs=()
  for d in "$@"; do [ -d "$root/$d" ] && dirs+=("$root/$d"); done
  [ ${#dirs[@]} -eq 0 ] && return
  local bad
  bad=$(grep -rnE "^[[:space:]]*#[[:space:]]*include[[:space:]]*[<\"]($pattern)" "${dirs[@]}")
  if [ -n "$bad" ]; then
    echo "$what:"
    echo "$bad"
    status=1
  fi
}

game="sim timing app render state"
check "game code includes platform internals" \
  'X11/|ft2build|freetype|fontconfig|platform/(backend|surface|x11|headless|web|record|gdi|user|rt|entry)[/.]' $game
check "a lower game floor includes app/" 'app/' sim render timing state
check "rt includes a higher platform module" \
  'platform/(gdi|user|x11|headless|web|entry|backend\.h)' platform/rt
check "gdi includes a higher platform module" \
  'platform/(user|x11|headless|web|entry|backend\.h)' platform/gdi
check "user includes a backend" 'platform/(x11|headless|web|entry|record)/' platform/user
check "a backend includes the backend table" 'platform/(entry|record)/' platform/x11 platform/headless platform/web
check "a lower platform module includes the recorder" 'platform/record/' platform/rt platform/gdi platform/user

[ $status -eq 0 ] && echo "layering holds"
exit $status
