#!/usr/bin/env bash
# Configures and builds the Windows programs (kelvara.exe, gdi_probe.exe)
# with the MinGW-w64 toolchain, as `make windows` does.
#   build_windows.sh <source folder> <build folder>
set -eu
src=$1
build=$2
cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-w64-x86_64.cmake"
cmake --build "$build"
for exe in kelvara.exe gdi_probe.exe; do
  [ -f "$build/$exe" ] || { echo "FAIL: $build/$exe was not built" >&2; exit 1; }
done
