#!/usr/bin/env bash
# The Wayland figures of `make bench`: under a private headless sway, the
# frame rate the game's title shows with the Wayland backend, beside a bare
# loop that writes a fresh frame into a wl_shm buffer and commits it on the
# same compositor (before and after the game, for the machine's drift).
# With the headless frame's floor (FLOOR_US, from kelvara_bench) it also
# gives the limit the two make together, as run.sh does for X11.
# Usage: bench/wayland.sh BUILD_DIR [FLOOR_US]
set -euo pipefail
build=${1:-build-bench}
floor_us=${2:-0}
cd "$(dirname "$0")/.."

if ! command -v sway >/dev/null; then
  echo "wayland_present_fps: 0 (no sway)"
  exit 0
fi
dir=$(mktemp -d /tmp/kv-bench-sway-XXXXXX)
# As root, sway runs as nobody (it refuses to run as root without a seat).
runas=()
if [ "$(id -u)" -eq 0 ]; then
  chown nobody:nogroup "$dir"
  runas=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
fi
chmod 700 "$dir"
printf 'output HEADLESS-1 mode 1920x1080 position 0 0 scale 1\n' >"$dir/config"
sway=""
game=""
cleanup() {
  [ -n "$game" ] && kill "$game" 2>/dev/null || true
  [ -n "${clicker:-}" ] && kill "$clicker" 2>/dev/null || true
  [ -n "$sway" ] && kill "$sway" 2>/dev/null || true
  [ -n "$sway" ] && wait "$sway" 2>/dev/null || true
  rm -rf "$dir"
}
trap cleanup EXIT
env -u DISPLAY -u WAYLAND_DISPLAY -u SWAYSOCK XDG_RUNTIME_DIR="$dir" HOME="$dir" \
  WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
  "${runas[@]}" sway -c "$dir/config" >"$dir/log" 2>&1 &
sway=$!
for _ in $(seq 300); do
  [ -S "$dir/wayland-1" ] && compgen -G "$dir/sway-ipc.*.sock" >/dev/null && break
  sleep 0.1
done
if [ ! -S "$dir/wayland-1" ]; then
  echo "wayland_present_fps: 0 (sway did not start)"
  exit 0
fi
export WAYLAND_DISPLAY="$dir/wayland-1" KELVARA_BACKEND=wayland
SWAYSOCK=$(compgen -G "$dir/sway-ipc.*.sock" | head -n 1)
export SWAYSOCK
unset DISPLAY

raw=$("$build/bench/kelvara_raw_wl_shm")
echo "$raw"

"$build/kelvara" &
game=$!
# The game's window as sway lists it: its title, and where its content is.
window() {
  swaymsg -t get_tree 2>/dev/null | python3 -c '
import json, sys
def walk(n):
    if (n.get("name") or "").startswith("Kelvara") and n.get("app_id") == "kelvara":
        r, w = n["rect"], n["window_rect"]
        print(r["x"] + w["x"], r["y"] + w["y"], n["name"])
        return True
    return any(walk(c) for c in n.get("nodes", []) + n.get("floating_nodes", []))
walk(json.load(sys.stdin))' 2>/dev/null || true
}
place=""
for _ in $(seq 200); do place=$(window); [ -n "$place" ] && break; sleep 0.1; done
if [ -z "$place" ]; then
  echo "wayland_present_fps: 0 (the game's window did not appear)"
  exit 0
fi
read -r x y _ <<<"$place"
# A click on the left player (content point 150, 320: below the 20 rows of
# the menu bar) every 200 ms, which starts play whenever it has stopped,
# for about 20 seconds.
"$build/bench/kelvara_wl_clicker" $((x + 150)) $((y + 320)) 1920 1080 21 &
clicker=$!
readings=()
title=""
sleep 10
for _ in $(seq 5); do
  sleep 2  # the title's figure covers one second; one every two
  title=$(window | cut -d' ' -f3-)
  readings+=("$(sed -n 's/.*FPS: \([0-9]*\).*/\1/p' <<<"$title")")
done
wait "$clicker" || true
kill "$game" 2>/dev/null || true
wait "$game" 2>/dev/null || true
game=""
echo "wayland_title: $title"
echo "wayland_present_fps_readings: ${readings[*]}"
fps=$(printf '%s\n' "${readings[@]}" | grep . | sort -n | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}' || true)
echo "wayland_present_fps: ${fps:-0}"

raw_after=$("$build/bench/kelvara_raw_wl_shm")
echo "$raw_after" | sed 's/^/after_game_/'
mean=$(awk -v a="$(sed -n 's/^raw_wl_shm_fps: //p' <<<"$raw")" \
  -v b="$(sed -n 's/^raw_wl_shm_fps: //p' <<<"$raw_after")" 'BEGIN { printf "%.0f", (a + b) / 2 }')
echo "raw_wl_shm_fps_mean: $mean"
awk -v m="$mean" -v fps="${fps:-0}" \
  'BEGIN { if (m > 0) printf "wayland_present_vs_raw_wl_shm: %.2f\n", fps / m }'
# The game's frame is its own work (the floor) and a present; the bare loop
# is the present alone.
awk -v raw="$mean" -v floor="$floor_us" -v fps="${fps:-0}" 'BEGIN {
  if (raw <= 0 || floor <= 0) exit
  limit = 1.0 / (1.0 / raw + floor * 1e-6);
  printf "wayland_limit_fps: %.0f\n", limit;
  printf "wayland_present_vs_limit: %.2f\n", fps / limit;
}'
