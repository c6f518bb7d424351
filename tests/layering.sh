#!/usr/bin/env bash
# The game code stands on the windowing and drawing interface alone: it may
# include platform/win32.h and nothing else of platform/, and no system
# display or font header.
set -u
root=${1:-$(dirname "$0")/..}
bad=$(grep -rnE '#include *[<"](X11/|ft2build|freetype|fontconfig|platform/(backend|surface|x11|headless|web|gdi|user|rt)[/.])' \
      "$root/sim" "$root/timing" "$root/app" "$root/render" 2>/dev/null)
if [ -n "$bad" ]; then
  echo "game code includes platform internals:"
  echo "$bad"
  exit 1
fi
echo "layering holds"
