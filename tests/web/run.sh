#!/usr/bin/env bash
# The browser tests: builds the web build (incrementally) and the browser's
# text probe, renders the native headless opening frame and the native text
# probe's output, and plays the page in headless chromium.
#   run.sh SOURCE_DIR BUILD_WEB_DIR KV_SCREENSHOTS WORK_DIR KV_TEXT_PROBE
set -euo pipefail
src=$1 web=$2 screenshots=$3 work=$4 probe=$5
export NODE_PATH=/usr/share/nodejs
if [ ! -f "$web/build.ninja" ]; then
  emcmake cmake -S "$src" -B "$web" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$web" >/dev/null
cmake --build "$web" --target text_probe >/dev/null
if [ ! -d "$src/tests/web/node_modules/puppeteer-core" ]; then
  (cd "$src/tests/web" && npm ci --no-audit --no-fund >/dev/null)
fi
mkdir -p "$work"
"$screenshots" "$work" >/dev/null
"$probe" > "$work/text_probe.txt"
unset NODE_PATH
cd "$src/tests/web"
BUILD_WEB="$web" NATIVE_OPENING="$work/opening.png" NATIVE_TEXT="$work/text_probe.txt" \
  REPLAYS="$src/tests/replays" WORK="$work" node --test --test-reporter=tap game.test.js
