#!/usr/bin/env bash
# `make run` starts the game at the pace a person can follow, and ARGS
# replaces the options: the command it runs, as `make -n` prints it.
#   make_run.sh SOURCE_DIR
set -uo pipefail
src=$1
# Nothing of a surrounding make (`make test`) or of the caller's shell may
# reach the make under test.
unset MAKEFLAGS MFLAGS MAKELEVEL ARGS

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# The last command `make run` would run, with these extra arguments.
run_line() {
  make -n --no-print-directory -C "$src" run BUILD=build-under-test "$@" 2>&1 | tail -n 1 |
    sed 's/[[:space:]]*$//'
}

line=$(run_line)
[ "$line" = "./build-under-test/kelvara --pace 500" ] || fail "make run runs: $line"
line=$(run_line ARGS="--scale 2 --pace 60")
[ "$line" = "./build-under-test/kelvara --scale 2 --pace 60" ] || fail "make run ARGS=... runs: $line"
line=$(run_line ARGS=)
[ "$line" = "./build-under-test/kelvara" ] || fail "make run ARGS= runs: $line"
# An ARGS that happens to be in the environment is not the caller asking.
line=$(ARGS=--verify run_line)
[ "$line" = "./build-under-test/kelvara --pace 500" ] || fail "with ARGS in the environment: $line"
echo "make run: ./build/kelvara --pace 500; ARGS replaces the options"
