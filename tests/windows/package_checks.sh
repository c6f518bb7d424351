# Checks shared by the tests of what a Windows user gets. Sourced; the
# caller provides kv_fail.

# The version block of the Windows program $1 as Windows reads it, checked
# value by value: the version $2 (file and product, as text and as four
# numbers), the product name, the description $3 and the copyright. Read
# back by binutils' windres, which decompiles a program's resources.
kv_check_version_block() {
  local exe=$1 version=$2 description=$3 rc numbers
  rc=$(x86_64-w64-mingw32-windres -i "$exe" -O rc 2>&1) ||
    kv_fail "windres cannot read the resources of $exe: $rc"
  rc=$(sed -n '/VERSIONINFO/,/^END$/p' <<<"$rc")
  [ -n "$rc" ] || kv_fail "$exe carries no version block"
  IFS=. read -r major minor patch tweak <<<"$version"
  numbers="${major:-0}, ${minor:-0}, ${patch:-0}, ${tweak:-0}"
  grep -Eq "^ *FILEVERSION +$numbers\$" <<<"$rc" ||
    kv_fail "$exe: the file version is not $numbers: $(grep FILEVERSION <<<"$rc")"
  grep -Eq "^ *PRODUCTVERSION +$numbers\$" <<<"$rc" ||
    kv_fail "$exe: the product version is not $numbers: $(grep PRODUCTVERSION <<<"$rc")"
  local pair
  for pair in "FileVersion=$version" "ProductVersion=$version" "ProductName=Kelvara" \
              "FileDescription=$description" \
              "LegalCopyright=Copyright (c) 2025 The Kelvara developers, MIT licence"; do
    grep -Fq "VALUE \"${pair%%=*}\", \"${pair#*=}\"" <<<"$rc" ||
      kv_fail "$exe: the version block lacks ${pair%%=*} \"${pair#*=}\": $rc"
  done
}
