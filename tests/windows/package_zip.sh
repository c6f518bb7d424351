#!/usr/bin/env bash
# The zip for people who unpack and run: the program with its version
# block, a README written for Windows (with CRLF line ends, telling about
# --pace and the Start-menu entry's 500) and the licence.
#   package_zip.sh <source folder> <Windows build folder> <work folder>
set -u
src=$1
build=$2
work=$3
kv_fail() {
  echo "FAIL: $*" >&2
  exit 1
}
. "$(dirname "$0")/package_checks.sh"

rm -rf "$work"
mkdir -p "$work"
zip=$("$src/dist/make-zip.sh" "$build" "$work/kelvara.zip") || kv_fail "make-zip.sh failed"
[ "$zip" = "$work/kelvara.zip" ] || kv_fail "make-zip.sh says it wrote \"$zip\""
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
(cd "$work" && python3 -m zipfile -e kelvara.zip .) || kv_fail "the zip does not unpack"
dir=$work/kelvara-$version
listing=$(cd "$work" && find "kelvara-$version" -type f | sort | tr '\n' ' ')
[ "$listing" = "kelvara-$version/LICENSE.txt kelvara-$version/README.txt kelvara-$version/kelvara.exe " ] ||
  kv_fail "the zip holds $listing"

kv_check_version_block "$dir/kelvara.exe" "$version" Kelvara

readme=$dir/README.txt
[ "$(grep -c $'\r$' "$readme")" = "$(wc -l <"$readme")" ] || kv_fail "README.txt has lines without CRLF"
text=$(tr -d '\r' <"$readme")
grep -q "^Kelvara $version for Windows\$" <<<"$text" || kv_fail "README.txt does not name the version: $(head -1 <<<"$text")"
grep -q -- "--pace N" <<<"$text" || kv_fail "README.txt does not explain --pace"
# Phrases may wrap: look for them in the text as one line.
grep -q "Start-menu entry uses --pace 500" <<<"$(tr -s '\n ' ' ' <<<"$text")" ||
  kv_fail "README.txt does not say that the Start-menu entry uses --pace 500"
grep -q "LICENSE.txt" <<<"$text" || kv_fail "README.txt does not say where the licence is"
# Written for Windows, not the Linux developers' README.
! grep -Eq "apt|make (test|run|build)|/usr/" <<<"$text" || kv_fail "README.txt speaks of Linux: $(grep -E "apt|make |/usr/" <<<"$text")"
! grep -q "@VERSION@" <<<"$text" || kv_fail "README.txt has an unfilled @VERSION@"
cmp -s <(tr -d '\r' <"$dir/LICENSE.txt") "$src/LICENSE" || kv_fail "LICENSE.txt is not the licence"
echo "the zip holds the program (version $version), a Windows README and the licence"
