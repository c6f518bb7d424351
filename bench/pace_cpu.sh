#!/usr/bin/env bash
# The processor the game and the X server use at a pace, for `make bench`:
#   pace_cpu.sh PROGRAM XSERVER_PID UNPACED_US_PER_FRAME [PACE...]
# DISPLAY names the server. For each pace (default 500 and 60) the game is
# started and measured for MEASURE_SECONDS (5) in each state a person leaves
# it in: waiting for the first click, playing, paused. The figures are
# processor time per second of wall time, from /proc/PID/stat, in percent of
# one core. The game's share at pace N is compared with N frames at the
# unpaced processor time per frame (measured by run.sh in the same window).
set -euo pipefail
program=$1
xserver=$2
unpaced_us=${3:-0}
shift 3 || true
paces=("$@")
[ ${#paces[@]} -eq 0 ] && paces=(500 60)
seconds=${MEASURE_SECONDS:-5}
ticks_per_second=$(getconf CLK_TCK)

. "$(dirname "$0")/proc_stat.sh"

# Percent of a core each of the game and the server used over `seconds`,
# while `keep` (a command run about once a second, or nothing) keeps the
# state going.
measure() {
  local game=$1 keep=${2:-}
  local g0 x0 t0 g1 x1 t1 end
  g0=$(cpu_ticks "$game"); x0=$(cpu_ticks "$xserver"); t0=$(now_ns)
  end=$((t0 + seconds * 1000000000))
  while [ "$(now_ns)" -lt "$end" ]; do
    [ -n "$keep" ] && $keep >/dev/null 2>&1
    sleep 1
  done
  g1=$(cpu_ticks "$game"); x1=$(cpu_ticks "$xserver"); t1=$(now_ns)
  awk -v g=$((g1 - g0)) -v x=$((x1 - x0)) -v t=$((t1 - t0)) -v hz="$ticks_per_second" \
    'BEGIN { s = t / 1e9; printf "%.1f %.1f", 100 * g / hz / s, 100 * x / hz / s }'
}

game=""
trap '[ -n "$game" ] && kill "$game" 2>/dev/null || true' EXIT
for pace in "${paces[@]}"; do
  "$program" --pace "$pace" &
  game=$!
  wid=$(timeout 60 xdotool search --sync --name '^Kelvara' | head -n 1 || true)
  if [ -z "$wid" ]; then
    echo "pace_${pace}_cpu: unknown (the game's window did not appear)"
    kill "$game" 2>/dev/null || true; wait "$game" 2>/dev/null || true; game=""
    continue
  fi
  eval "$(xdotool getwindowgeometry --shell "$wid")"
  # The left player's spot on the pitch (client point 150, 300).
  cx=$((X + 150)); cy=$((Y + HEIGHT - 300))
  sleep 1  # let start-up settle

  read -r waiting_game waiting_x <<<"$(measure "$game")"
  xdotool mousemove "$cx" "$cy" click 1
  # A goal stops play; a click a second plays on.
  read -r playing_game playing_x <<<"$(measure "$game" "xdotool click 1")"
  xdotool click 3
  read -r paused_game paused_x <<<"$(measure "$game")"
  kill "$game" 2>/dev/null || true
  wait "$game" 2>/dev/null || true
  game=""

  echo "pace_${pace}_game_cpu_percent: waiting $waiting_game, playing $playing_game, paused $paused_game"
  echo "pace_${pace}_xserver_cpu_percent: waiting $waiting_x, playing $playing_x, paused $paused_x"
  # N frames a second at the unpaced cost of one, with a quarter more for
  # the waits and wake-ups.
  # The busiest of the three states is the one held to it.
  busiest=$(printf '%s\n' "$waiting_game" "$playing_game" "$paused_game" | sort -g | tail -n 1)
  awk -v n="$pace" -v us="$unpaced_us" -v p="$busiest" 'BEGIN {
    if (us <= 0) { print "pace_" n "_game_vs_limit: unknown"; exit }
    limit = 1.25 * n * us / 1e4;
    printf "pace_%d_game_limit_percent: %.1f\n", n, limit;
    printf "pace_%d_game_vs_limit: %.2f\n", n, p / limit;
  }'
done
