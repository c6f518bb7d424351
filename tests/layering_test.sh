#!/usr/bin/env bash
# tests/layering.sh holds its rules for every backend folder, including one
# it has never heard of: small trees with a new platform/wayland/ are checked,
# one clean and one per way of breaking a rule.
#   layering_test.sh LAYERING_SH
set -u
layering=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# tree NAME: a clean tree with the modules, two known backends and a new one.
tree() {
  local t=$work/$1
  mkdir -p "$t"/platform/{rt,gdi,user,desktop,record,entry,x11,headless,wayland} "$t"/app "$t"/sim
  echo '#include "platform/rt/utf8.h"' > "$t/platform/gdi/text.cpp"
  echo '#include "platform/gdi/gdi_internal.h"' > "$t/platform/user/window.cpp"
  echo '#include "platform/backend.h"' > "$t/platform/desktop/desktop.cpp"
  echo '#include "platform/user/window.h"' > "$t/platform/wayland/wayland_backend.cpp"
  echo '#include "platform/desktop/desktop.h"' > "$t/platform/headless/headless_backend.cpp"
  echo '#include "platform/desktop/desktop.h"' > "$t/platform/record/replay_backend.cpp"
  echo '#include "platform/wayland/wayland_backend.h"' > "$t/platform/entry/backends.cpp"
  echo '#include "platform/win32.h"' > "$t/app/window_proc.cpp"
  echo "$t"
}

# expect NAME PASS|FAIL [FILE LINE]: adds LINE to FILE of a fresh tree and
# runs the rules on it.
expect() {
  local name=$1 want=$2 t
  t=$(tree "$name")
  if [ $# -ge 4 ]; then echo "$4" >> "$t/$3"; fi
  local out got=PASS
  out=$("$layering" "$t" 2>&1) || got=FAIL
  if [ "$got" != "$want" ]; then
    echo "FAILED: $name: expected $want, got $got"
    echo "$out" | sed 's/^/  | /'
    failures=$((failures + 1))
  else
    echo "ok: $name"
  fi
}

expect clean PASS
expect user-names-new-backend FAIL platform/user/window.cpp '#include "platform/wayland/wayland_display.h"'
expect user-names-desktop FAIL platform/user/window.cpp '#include "platform/desktop/desktop.h"'
expect gdi-names-new-backend FAIL platform/gdi/text.cpp '#include "platform/wayland/wayland_display.h"'
expect rt-names-new-backend FAIL platform/rt/clock.cpp '#include "platform/wayland/seat.h"'
expect new-backend-names-recorder FAIL platform/wayland/wayland_backend.cpp '#include "platform/record/session.h"'
expect new-backend-names-entry FAIL platform/wayland/wayland_backend.cpp '#include "platform/entry/backends.h"'
expect new-backend-names-other-backend FAIL platform/wayland/wayland_backend.cpp '#include "platform/x11/x11_keys.h"'
expect old-backend-names-new-backend FAIL platform/x11/x11_backend.cpp '#include "platform/wayland/wayland_display.h"'
expect recorder-names-new-backend FAIL platform/record/replay_backend.cpp '#include "platform/wayland/wayland_backend.h"'
expect desktop-names-user FAIL platform/desktop/desktop.cpp '#include "platform/user/window.h"'
expect game-names-new-backend FAIL app/window_proc.cpp '#include "platform/wayland/wayland_backend.h"'
expect game-names-wayland-header FAIL sim/match.cpp '#include <wayland-client.h>'

[ $failures -eq 0 ] && echo "the rules hold for a backend folder they were never told of"
exit $((failures > 0))
