#!/usr/bin/env bash
# The Windows build's command line under Wine: --help and --version (and
# -h, -V) print and exit 0 without a window, a bad value names itself on
# standard error in one line with a hint and exits 2, as the Linux build does;
# the recorder's options, which only the Linux build acts on, are refused.
#   command_line.sh <kelvara.exe> <wine prefix> <version>
set -u
exe=$1
KV_WINEPREFIX=$2
version=$3
. "$(dirname "$0")/wine_session.sh"

[ -f "$exe" ] || kv_fail "no Windows build at $exe"
# Wine may reach for a display while it starts, even for a program that
# opens no window.
kv_start_xvfb

run() {  # run <args...>: sets status, out and err
  timeout 120 wine "$exe" "$@" >"$KV_TMP/out" 2>"$KV_TMP/err"
  status=$?
  out=$(tr -d '\r' <"$KV_TMP/out")
  err=$(tr -d '\r' <"$KV_TMP/err")
}

run --help
[ "$status" -eq 0 ] || kv_fail "--help exited with $status: $err"
grep -q '^Usage: kelvara \[OPTION\]\.\.\.$' <<<"$out" || kv_fail "--help printed no usage: $out"
grep -q -- '--pace N' <<<"$out" || kv_fail "--help does not list --pace: $out"
[ -z "$(kv_viewable_windows)" ] || kv_fail "--help opened a window"

help=$out
run -h
[ "$status" -eq 0 ] && [ "$out" = "$help" ] || kv_fail "-h is not --help ($status): $out"

for option in --version -V; do
  run $option
  [ "$status" -eq 0 ] || kv_fail "$option exited with $status"
  [ "$out" = "Kelvara $version" ] || kv_fail "$option printed \"$out\""
done

run --pace 7
[ "$status" -eq 2 ] || kv_fail "a bad --pace exited with $status"
expected="kelvara: invalid value '7' for --pace: a whole number from 50 to 10000
Try 'kelvara --help' for more information."
[ "$err" = "$expected" ] || kv_fail "a bad --pace said: $err"
[ -z "$out" ] || kv_fail "a bad --pace wrote to standard output: $out"

# Recording is the Linux build's: here the recorder's options are refused
# by name, rather than taken and ignored (a recording that writes no file,
# reported as success). --scale is taken, and left to Windows.
cd "$KV_TMP" || kv_fail "no scratch folder"
for option in --record --replay; do
  run "$option" match.kvr
  [ "$status" -eq 2 ] || kv_fail "$option exited with $status: $err"
  expected="kelvara: option '$option' is not available in this build: recordings are made and replayed by the Linux build
Try 'kelvara --help' for more information."
  [ "$err" = "$expected" ] || kv_fail "$option said: $err"
  [ ! -e match.kvr ] || kv_fail "$option made a file"
  [ -z "$(kv_viewable_windows)" ] || kv_fail "$option opened a window"
done
run --replay match.kvr --verify
[ "$status" -eq 2 ] || kv_fail "--replay --verify exited with $status: $err"
run --scale 2 --version
[ "$status" -eq 0 ] && [ "$out" = "Kelvara $version" ] || kv_fail "--scale 2 was refused ($status): $err"

echo "the command line answers under Wine as on Linux"
