#!/usr/bin/env bash
# The browser half of `make bench`: the game's frame rate in headless
# chromium (the web build) beside the native headless frame rate measured
# in the same run, on the same machine: the title's rate, and the frames per
# second of the page's processor time, which a busy machine hardly moves.
#   web.sh BENCH_BUILD_DIR WEB_BUILD_DIR
set -euo pipefail
bench=$1 web=$2
cd "$(dirname "$0")/.."
native_us=$("$bench/bench/kelvara_bench" | sed -n 's/^frame_us_playing: //p')
native_fps=$(awk -v us="$native_us" 'BEGIN { printf "%.0f", (us > 0 ? 1e6 / us : 0) }')
web=$(node bench/web_fps.js "$web")
echo "$web"
web_fps=$(sed -n 's/^web_fps: //p' <<<"$web")
echo "native_headless_fps: $native_fps"
web_cpu=$(sed -n 's/^web_fps_per_cpu_s: //p' <<<"$web")
awk -v w="$web_fps" -v c="$web_cpu" -v n="$native_fps" 'BEGIN {
  printf "web_vs_native: %.2f\n", (n > 0 ? w / n : 0)
  printf "web_cpu_vs_native: %.2f\n", (n > 0 ? c / n : 0) }'
