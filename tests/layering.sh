#!/usr/bin/env bash
# Every include points down, never up:
#  - the game stands on the windowing and drawing interface alone: it may
#    include platform/win32.h and nothing else of platform/, and no system
#    display, font or browser header;
#  - within the game, the lower floors (sim/, render/, timing/, state/) do
#    not include app/;
#  - within the platform, rt includes no module above it; gdi no user, no
#    desktop and no backend; user and the desktop model neither each other
#    nor a backend; a backend no other backend; nothing below the backend
#    table includes the recorder, and the recorder no backend.
# A backend is any folder of platform/ that is not one of the named modules,
# so a new one (platform/wayland/, say) is held to the rules as it appears.
set -u
root=${1:-$(dirname "$0")/..}
status=0

modules="rt gdi user desktop record entry"
backends=()
for d in "$root"/platform/*/; do
  [ -d "$d" ] || continue
  name=$(basename "$d")
  case " $modules " in *" $name "*) ;; *) backends+=("$name") ;; esac
done
# The backends as an alternation, "none" matching no folder when there are none.
join() { local IFS='|'; echo "${*:-none-at-all}"; }
any_backend=$(join "${backends[@]}")

# check DESCRIPTION PATTERN FOLDER...: fails when a file in the folders
# includes a header matching PATTERN (platform/win32.h is always allowed).
check() {
  local what=$1 pattern=$2
  shift 2
  local dirs=()
  for d in "$@"; do [ -d "$root/$d" ] && dirs+=("$root/$d"); done
  [ ${#dirs[@]} -eq 0 ] && return
  local bad
  bad=$(grep -rnE "^[[:space:]]*#[[:space:]]*include[[:space:]]*[<\"]($pattern)" "${dirs[@]}" |
        grep -vE "[<\"]platform/win32\.h[>\"]")
  if [ -n "$bad" ]; then
    echo "$what:"
    echo "$bad"
    status=1
  fi
}

game="sim timing app render state"
check "game code includes platform internals" \
  'X11/|ft2build|freetype|fontconfig|wayland-|xkbcommon|libdecor|emscripten|platform/' $game
check "a lower game floor includes app/" 'app/' sim render timing state
check "rt includes a higher platform module" \
  "platform/(gdi|user|desktop|record|entry|$any_backend)/|platform/backend\.h" platform/rt
check "gdi includes a higher platform module" \
  "platform/(user|desktop|record|entry|$any_backend)/|platform/backend\.h" platform/gdi
check "user includes a backend or the desktop model" \
  "platform/(desktop|record|entry|$any_backend)/" platform/user
check "the desktop model includes the windowing layer or a backend" \
  "platform/(gdi|user|record|entry|$any_backend)/" platform/desktop
for b in "${backends[@]}"; do
  others=()
  for o in "${backends[@]}"; do [ "$o" != "$b" ] && others+=("$o"); done
  check "the backend $b/ includes another backend or the backend table" \
    "platform/(record|entry|$(join "${others[@]}"))/" "platform/$b"
done
check "the recorder includes a backend or the backend table" \
  "platform/(entry|$any_backend)/" platform/record

[ $status -eq 0 ] && echo "layering holds (backends: ${backends[*]})"
exit $status
