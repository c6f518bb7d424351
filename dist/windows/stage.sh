# What a Windows user gets, gathered in one folder for the zip and for the
# setup program: the program, stripped, with README.txt (written for
# Windows, from dist/windows/README.txt) and LICENSE.txt, both with the CRLF
# line ends Notepad wants. Sourced by dist/make-zip.sh and dist/make-setup.sh.

kv_windows_src=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

# The project's version, as the Windows build was configured with it.
kv_windows_version() {
  local version
  version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$1/CMakeCache.txt" 2>/dev/null)
  if [ -z "$version" ]; then
    echo "no project version in $1/CMakeCache.txt: build the Windows program first (make windows)" >&2
    return 1
  fi
  echo "$version"
}

# kv_windows_stage BUILD_WINDOWS DIR VERSION
kv_windows_stage() {
  local build=$1 dir=$2 version=$3
  if [ ! -f "$build/kelvara.exe" ]; then
    echo "no Windows program at $build/kelvara.exe (make windows builds it)" >&2
    return 1
  fi
  mkdir -p "$dir"
  cp "$build/kelvara.exe" "$dir/"
  x86_64-w64-mingw32-strip "$dir/kelvara.exe"
  sed "s/@VERSION@/$version/g; s/\$/\r/" "$kv_windows_src/dist/windows/README.txt" > "$dir/README.txt"
  sed 's/$/\r/' "$kv_windows_src/LICENSE" > "$dir/LICENSE.txt"
}
