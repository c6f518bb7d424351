#!/usr/bin/env bash
# Runs each fuzz target for a while: build-dir seconds rss-limit-mb target...
# The working corpus (build-dir/fuzz-corpus/<target>) starts from the kept
# corpus and the seeds cut from the program's own resources; whatever the
# fuzzer finds is left in build-dir/fuzz-artifacts/.
set -uo pipefail
build=$1 seconds=$2 rss=$3
shift 3
src=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$src/../.." && pwd)
seeds="$build/fuzz-seeds"
for t in "$@"; do mkdir -p "$seeds/$t" "$build/fuzz-corpus/$t"; done
mkdir -p "$build/fuzz-artifacts" "$seeds/res_reader"
"$build/tests/fuzz/fuzz_seed" "$build/res/kelvara.res" "$seeds" || exit 1
# A bitmap file is the resource's form behind a 14-byte file header.
for bmp in "$root"/res/*.bmp; do
  tail -c +15 "$bmp" > "$seeds/dib/file-$(basename "$bmp" .bmp)"
done
# The recordings kept as tests, whole and cut short.
if [ -d "$seeds/recording_reader" ]; then
  for kvr in "$root"/tests/replays/*.kvr; do
    cp "$kvr" "$seeds/recording_reader/"
    head -c 700 "$kvr" > "$seeds/recording_reader/cut-$(basename "$kvr")"
  done
fi
# Wine's bitmap fonts, the kind the font reader is for.
if [ -d "$seeds/fon_reader" ]; then
  cp /usr/share/wine/fonts/*.fon "$seeds/fon_reader/" 2>/dev/null || true
fi
# What a target runs with besides the common flags.
target_flags() {
  case $1 in
    # Leaks are looked for when the run ends rather than after each input
    # (dialog_template_fuzz.cpp says why); a leak still fails the run.
    dialog_template) echo -detect_leaks=0 ;;
  esac
}
failed=0
summary=""
# libFuzzer's final figures: "stat::name:<spaces>value".
stat() { awk -v k="stat::$2:" '$1 == k { print $2 }' "$1"; }
export LSAN_OPTIONS="suppressions=$src/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
for t in "$@"; do
  echo "== $t: ${seconds}s"
  log="$build/fuzz-$t.log"
  "$build/tests/fuzz/fuzz_$t" -max_total_time="$seconds" -rss_limit_mb="$rss" -timeout=120 \
    -print_final_stats=1 -artifact_prefix="$build/fuzz-artifacts/$t-" $(target_flags "$t") \
    "$build/fuzz-corpus/$t" "$src/corpus/$t" "$seeds/$t" > "$log" 2>&1
  status=$?
  grep -E '^#[0-9]+[[:space:]]+(DONE|INITED)' "$log" | tail -1
  runs=$(stat "$log" number_of_executed_units) rate=$(stat "$log" average_exec_per_sec)
  echo "$t: ${runs:-?} executions, ${rate:-?} a second, $(stat "$log" new_units_added) new" \
       "inputs kept, peak $(stat "$log" peak_rss_mb) MB"
  # Fewer than this and a run of a minute or two explores little.
  note=""
  [ -n "$rate" ] && [ "$rate" -lt 1000 ] && note="  (below 1000 a second)"
  if [ $status -ne 0 ]; then
    failed=1
    note="  (stopped with status $status)"
    echo "!! $t stopped with status $status; see $log"
    grep -E 'ERROR|fuzz check failed|SUMMARY' "$log" | head -5
  fi
  summary+=$(printf '%-18s %12s %12s%s' "$t" "${runs:-?}" "${rate:-?}" "$note")$'\n'
done
echo "== executions in ${seconds}s per target"
printf '%-18s %12s %12s\n' target executions "per second"
printf '%s' "$summary"
exit $failed
