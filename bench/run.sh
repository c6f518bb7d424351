#!/usr/bin/env bash
# `make bench`: the headless frame figures, then the real program's frame
# rate in an X window under Xvfb beside a bare present loop on the same
# server, all from one run; then the same under a headless sway with the
# Wayland backend beside a bare wl_shm loop (bench/wayland.sh).
# BENCH_SCALE=2 runs the game's window at twice the size (--scale 2), on a
# screen large enough for it.
set -euo pipefail
build=${1:-build-bench}
cd "$(dirname "$0")/.."
. bench/proc_stat.sh

headless=$("$build/bench/kelvara_bench")
echo "$headless"
floor_us=$(sed -n 's/^floor_us: //p' <<<"$headless")

# A private X server for the windowed half.
display=""
for n in $(seq 90 130); do
  if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=":$n"; break; fi
done
if [ -z "$display" ]; then
  echo "present_fps: 0 (no free display number for Xvfb)"
  exit 1
fi
scale=${BENCH_SCALE:-1}
Xvfb "$display" -screen 0 $((1920 * (scale > 1 ? 2 : 1)))x$((1080 * (scale > 1 ? 2 : 1)))x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
game=""
cleanup() {
  [ -n "$game" ] && kill "$game" 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
export DISPLAY=$display
# The X11 figures: a Wayland session's compositor is not what is measured.
unset WAYLAND_DISPLAY KELVARA_BACKEND
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

# Without shared memory (refused, or a server elsewhere) there is no bare
# present loop to compare with; say so and carry on with the rest.
if raw=$("$build/bench/kelvara_raw_shm"); then
  echo "$raw"
else
  echo "raw_shm_fps: 0 (no MIT-SHM present loop could run)"
fi
raw_fps=$(sed -n 's/^raw_shm_fps: \([0-9.]*\).*/\1/p' <<<"$raw")
pointer_fps=$(sed -n 's/^raw_shm_pointer_fps: //p' <<<"$raw")
fresh_fps=$(sed -n 's/^raw_shm_fresh_frame_fps: //p' <<<"$raw")

"$build/kelvara" --scale "$scale" &
game=$!
wid=$(timeout 20 xdotool search --sync --name '^Kelvara' | head -n 1 || true)
if [ -z "$wid" ]; then
  echo "present_fps: 0 (the game's window did not appear)"
  exit 1
fi
eval "$(xdotool getwindowgeometry --shell "$wid")"
# Click on the left player (client point 150, 300; the client area is the
# window's lower 600 rows, times the scale) whenever play has stopped, for about 20 seconds.
cx=$((X + 150 * scale)); cy=$((Y + HEIGHT - (600 - 300) * scale))
rss_early=""
title=""
fps_readings=()
for i in $(seq 100); do
  xdotool mousemove "$cx" "$cy" click 1 >/dev/null 2>&1 || true
  sleep 0.2
  if [ "$i" -eq 15 ]; then rss_early=$(awk '/VmRSS/ {print $2}' "/proc/$game/status"); fi
  # The processor time over the stretch the frame rate is read from.
  if [ "$i" -eq 50 ]; then cpu_start=$(cpu_ticks "$game"); cpu_start_ns=$(now_ns); fi
  # The title's figure covers one second; take one every two seconds.
  if [ "$i" -ge 50 ] && [ $((i % 10)) -eq 0 ]; then
    title=$(xprop -id "$wid" WM_NAME | sed -n 's/.*= "\(.*\)"/\1/p')
    fps_readings+=("$(sed -n 's/.*FPS: \([0-9]*\).*/\1/p' <<<"$title")")
  fi
done
rss_late=$(awk '/VmRSS/ {print $2}' "/proc/$game/status")
cpu_end=$(cpu_ticks "$game"); cpu_end_ns=$(now_ns)
echo "title: $title"
echo "present_fps_readings: ${fps_readings[*]}"
present_fps=$(printf '%s\n' "${fps_readings[@]}" | grep . | sort -n | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}' || true)
echo "present_fps: ${present_fps:-0}"
echo "resident_kib_growth_windowed: $((rss_late - rss_early))"
# Unpaced the frames run back to back, stopped or playing, at about the rate
# the title shows; the processor time of one is the game's share of a
# second over that rate.
unpaced_us=$(awk -v t=$((cpu_end - cpu_start)) -v ns=$((cpu_end_ns - cpu_start_ns)) \
  -v hz="$(getconf CLK_TCK)" -v fps="${present_fps:-0}" 'BEGIN {
  share = t / hz / (ns / 1e9);
  printf "%.1f %.1f", 100 * share, (fps > 0 ? share / fps * 1e6 : 0) }')
read -r unpaced_percent unpaced_us <<<"$unpaced_us"
echo "unpaced_game_cpu_percent: $unpaced_percent"
echo "unpaced_cpu_us_per_frame: $unpaced_us"
kill "$game" 2>/dev/null || true
wait "$game" 2>/dev/null || true
game=""

# The server's speed drifts with the machine's load: measure the bare loop
# again after the game and compare with the mean of the two.
if raw_after=$("$build/bench/kelvara_raw_shm"); then
  echo "$raw_after" | sed 's/^/after_game_/'
  raw_fps=$(awk -v a="${raw_fps:-0}" -v b="$(sed -n 's/^raw_shm_fps: //p' <<<"$raw_after")" \
    'BEGIN { printf "%.0f", (a > 0 && b > 0) ? (a + b) / 2 : a }')
  pointer_fps=$(awk -v a="${pointer_fps:-0}" \
    -v b="$(sed -n 's/^raw_shm_pointer_fps: //p' <<<"$raw_after")" \
    'BEGIN { printf "%.0f", (a > 0 && b > 0) ? (a + b) / 2 : a }')
  fresh_fps=$(awk -v a="$(sed -n 's/^raw_shm_fresh_frame_fps: //p' <<<"$raw")" \
    -v b="$(sed -n 's/^raw_shm_fresh_frame_fps: //p' <<<"$raw_after")" \
    'BEGIN { printf "%.0f", (a > 0 && b > 0) ? (a + b) / 2 : a }')
  echo "raw_shm_fps_mean: $raw_fps"
  echo "raw_shm_fresh_frame_fps_mean: $fresh_fps"
fi
awk -v raw="${raw_fps:-0}" -v floor="${floor_us:-0}" -v fps="${present_fps:-0}" 'BEGIN {
  if (raw <= 0) { print "limit_fps: unknown"; print "present_vs_limit: unknown"; exit }
  limit = 1.0 / (1.0 / raw + floor * 1e-6);
  printf "limit_fps: %.0f\n", limit;
  printf "present_vs_limit: %.2f\n", fps / limit;
}'
[ -n "${fresh_fps:-}" ] && awk -v f="$fresh_fps" -v fps="${present_fps:-0}" \
  'BEGIN { if (f > 0) printf "present_vs_fresh_frame_loop: %.2f\n", fps / f }'
# The same limit with the pointer's round trip and warp of every play frame.
awk -v raw="${pointer_fps:-0}" -v floor="${floor_us:-0}" -v fps="${present_fps:-0}" 'BEGIN {
  if (raw <= 0) exit
  limit = 1.0 / (1.0 / raw + floor * 1e-6);
  printf "limit_fps_with_pointer: %.0f\n", limit;
  printf "present_vs_limit_with_pointer: %.2f\n", fps / limit;
}'

# The same program at a pace: what the game and the server use while a
# person waits, plays or pauses.
bench/pace_cpu.sh "$build/kelvara" "$xvfb" "$unpaced_us" 500 60

# The same game as a native Wayland client under a headless sway.
bench/wayland.sh "$build" "$floor_us"
