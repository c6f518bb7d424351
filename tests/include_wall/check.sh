#!/usr/bin/env bash
# Compiles probe files with the game library's include directories (one per
# line in $2): the interface must compile, and each platform internal (or the
# source root's other folders) must not be found.
set -u
cxx=$1
dirs_file=$2
here=$3
flags=(-std=c++17 -fsyntax-only)
while IFS= read -r dir; do
  [ -n "$dir" ] && flags+=("-I$dir")
done <"$dirs_file"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if ! "$cxx" "${flags[@]}" "$here/sees_interface.cpp" 2>"$work/control.err"; then
  echo "the interface header does not compile with the game's include path:"
  cat "$work/control.err"
  exit 1
fi

status=0
for header in platform/backend.h platform/surface.h platform/rt/resources.h \
              platform/gdi/gdi_internal.h platform/user/window.h \
              platform/headless/headless.h platform/x11/x11_backend.h \
              platform/entry/backends.h tests/support/headless_window.h; do
  probe="$work/probe.cpp"
  printf '#include "%s"\nint Probe() { return 0; }\n' "$header" >"$probe"
  if "$cxx" "${flags[@]}" "$probe" 2>"$work/probe.err"; then
    echo "a game file can include $header"
    status=1
  elif ! grep -q "$header" "$work/probe.err" || ! grep -qiE "no such file|file not found" "$work/probe.err"; then
    echo "including $header failed for another reason than not finding it:"
    cat "$work/probe.err"
    status=1
  fi
done
[ $status -eq 0 ] && echo "the game's include path holds"
exit $status
