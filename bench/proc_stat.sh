# Sourced by the benchmark's scripts: what a process has cost so far.

# User plus system time of process $1 in clock ticks (getconf CLK_TCK a
# second). The fields are counted after the command name, which is in
# parentheses and could hold spaces.
cpu_ticks() {
  local stat
  stat=$(cat "/proc/$1/stat")
  stat=${stat##*) }
  awk '{ print $12 + $13 }' <<<"$stat"
}

now_ns() { date +%s%N; }
