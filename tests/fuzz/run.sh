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
failed=0
export LSAN_OPTIONS="suppressions=$src/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
for t in "$@"; do
  echo "== $t: ${seconds}s"
  log="$build/fuzz-$t.log"
  "$build/tests/fuzz/fuzz_$t" -max_total_time="$seconds" -rss_limit_mb="$rss" -timeout=120 \
    -print_final_stats=1 -artifact_prefix="$build/fuzz-artifacts/$t-" \
    "$build/fuzz-corpus/$t" "$src/corpus/$t" "$seeds/$t" > "$log" 2>&1
  status=$?
  grep -E '^#[0-9]+[[:space:]]+(DONE|INITED)' "$log" | tail -1
  grep -E '^stat::number_of_executed_units' "$log"
  if [ $status -ne 0 ]; then
    failed=1
    echo "!! $t stopped with status $status; see $log"
    grep -E 'ERROR|fuzz check failed|SUMMARY' "$log" | head -5
  fi
done
exit $failed
