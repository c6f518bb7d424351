#!/usr/bin/env bash
# The Windows setup program as a user meets it, under Wine in a prefix made
# fresh for this run: it installs silently for the current user; the
# program, the Start-menu shortcut (read back from the .lnk) and the entry
# in Apps are there; the game starts from the shortcut's command line and
# plays; the uninstaller refuses while the game runs, and afterwards
# removes everything the setup wrote.
#   setup_session.sh <source folder> <Windows build folder> <kelvara.ico>
#                    <kv_lnk_read> <work folder>
set -u
src=$1
build=$2
icon=$3
lnk_read=$4
work=$5
here=$(cd "$(dirname "$0")" && pwd)
KV_WINEPREFIX=$work/wineprefix
. "$here/wine_session.sh"
. "$here/package_checks.sh"

key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kelvara'

# Nothing of an earlier run may hide a fault.
rm -rf "$work"
mkdir -p "$work"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || kv_fail "no Windows build at $build"
setup=$("$src/dist/make-setup.sh" "$build" "$icon" "$work/kelvara-$version-setup.exe") ||
  kv_fail "make-setup.sh failed"
[ -f "$setup" ] || kv_fail "make-setup.sh wrote no $setup"
echo "setup program: $(stat -c %s "$setup") bytes"
kv_check_version_block "$setup" "$version" "Kelvara Setup"

"$here/wine_prefix.sh" "$WINEPREFIX" >"$KV_TMP/prefix.log" 2>&1 || {
  cat "$KV_TMP/prefix.log" >&2
  kv_fail "no fresh Wine prefix"
}
kv_start_xvfb

# Runs a Windows command line in the prefix: its output without CRs, and
# its exit status.
kv_wine_out() {
  local out status
  out=$(timeout 120 wine "$@" 2>/dev/null)
  status=$?
  printf '%s\n' "${out//$'\r'/}"
  return $status
}
localappdata=$(kv_wine_out cmd /c echo %LOCALAPPDATA%)
appdata=$(kv_wine_out cmd /c echo %APPDATA%)
[[ "$localappdata" == [A-Z]:\\* && "$appdata" == [A-Z]:\\* ]] ||
  kv_fail "no user folders in the prefix: \"$localappdata\", \"$appdata\""
instdir="$localappdata\\Programs\\Kelvara"
lnk_win="$appdata\\Microsoft\\Windows\\Start Menu\\Programs\\Kelvara.lnk"
unix() { winepath -u "$1" 2>/dev/null | tr -d '\r'; }
inst=$(unix "$instdir")
lnk=$(unix "$lnk_win")
[ -n "$inst" ] && [ -n "$lnk" ] || kv_fail "winepath cannot map the user folders"

# What the prefix holds before: afterwards it must hold the same again.
snapshot() {
  (cd "$WINEPREFIX/drive_c" && find . -path ./windows -prune -o -print | sort)
}
timeout 60 wineserver -w
snapshot >"$work/before.txt"
grep -qi kelvara "$WINEPREFIX/user.reg" "$WINEPREFIX/system.reg" &&
  kv_fail "the fresh prefix already names Kelvara"

# Installs silently for this user.
timeout 300 wine "$setup" /S >"$KV_TMP/setup.log" 2>&1
status=$?
[ "$status" -eq 0 ] || kv_fail "the silent setup exited with $status: $(cat "$KV_TMP/setup.log")"

files=$(cd "$inst" 2>/dev/null && ls | sort | tr '\n' ' ')
[ "$files" = "LICENSE.txt README.txt kelvara.exe kelvara.ico uninstall.exe " ] ||
  kv_fail "the game's folder $inst holds \"$files\""
# Stripping stamps the time into the header: both copies get the same.
same_program() {
  SOURCE_DATE_EPOCH=0 x86_64-w64-mingw32-strip -o "$KV_TMP/a.exe" "$1" &&
    SOURCE_DATE_EPOCH=0 x86_64-w64-mingw32-strip -o "$KV_TMP/b.exe" "$2" &&
    cmp -s "$KV_TMP/a.exe" "$KV_TMP/b.exe"
}
same_program "$inst/kelvara.exe" "$build/kelvara.exe" || kv_fail "the installed program is not this build's"
kv_check_version_block "$inst/kelvara.exe" "$version" Kelvara
echo "installed into $instdir: $files"

# The Start-menu shortcut starts the game at a pace of 500, in its folder,
# with the icon.
[ -f "$lnk" ] || kv_fail "no Start-menu shortcut at $lnk_win"
link=$("$lnk_read" "$lnk") || kv_fail "the shortcut does not read back"
field() { sed -n "s/^$1=//p" <<<"$link"; }
[ "$(field target)" = "$instdir\\kelvara.exe" ] || kv_fail "the shortcut starts \"$(field target)\""
[ "$(field arguments)" = "--pace 500" ] || kv_fail "the shortcut's arguments are \"$(field arguments)\""
[ "$(field working_dir)" = "$instdir" ] || kv_fail "the shortcut starts in \"$(field working_dir)\""
[ "$(field icon)" = "$instdir\\kelvara.ico" ] || kv_fail "the shortcut's icon is \"$(field icon)\""
cmp -s "$inst/kelvara.ico" "$icon" || kv_fail "the installed icon is not tools/icon's"
echo "shortcut: $(field target) $(field arguments)"
# The reader refuses a shortcut that is cut short rather than read past it.
head -c 100 "$lnk" >"$KV_TMP/short.lnk"
"$lnk_read" "$KV_TMP/short.lnk" >/dev/null 2>&1 && kv_fail "the shortcut reader took a cut-short file"

# The entry in Apps, value by value.
entry=$(kv_wine_out reg query "$key") || kv_fail "no uninstall entry $key"
value() {  # value NAME: "TYPE VALUE"
  sed -n "s/^ *$1 \{2,\}\(REG_[A-Z_]*\) \{2,\}\(.*\)$/\1 \2/p" <<<"$entry"
}
expect() {
  [ "$(value "$1")" = "$2" ] || kv_fail "the uninstall entry's $1 is \"$(value "$1")\", not \"$2\": $entry"
}
expect DisplayName "REG_SZ Kelvara"
expect DisplayVersion "REG_SZ $version"
expect Publisher "REG_SZ The Kelvara developers"
expect DisplayIcon "REG_SZ $instdir\\kelvara.ico"
expect InstallLocation "REG_SZ $instdir"
expect UninstallString "REG_SZ \"$instdir\\uninstall.exe\""
expect QuietUninstallString "REG_SZ \"$instdir\\uninstall.exe\" /S"
expect NoModify "REG_DWORD 0x1"
expect NoRepair "REG_DWORD 0x1"
# The size Apps shows, in KB: what the folder holds.
bytes=$(cat "$inst"/* | wc -c)
size=$(value EstimatedSize)
[[ "$size" =~ ^REG_DWORD\ 0x([0-9a-f]+)$ ]] || kv_fail "the uninstall entry's EstimatedSize is \"$size\""
kb=$((16#${BASH_REMATCH[1]}))
[ "$kb" -ge $((bytes / 1024 - 1)) ] && [ "$kb" -le $((bytes / 1024 + 1)) ] ||
  kv_fail "EstimatedSize says $kb KB for $bytes bytes"
echo "uninstall entry: Kelvara $version, $kb KB"

# The game starts from the shortcut's command line and plays.
(cd "$(unix "$(field working_dir)")" && exec wine "$(field target)" $(field arguments)) \
  >"$KV_TMP/wine.log" 2>&1 &
KV_WINE_PID=$!
window=$(kv_wait_window '^Kelvara$' 180) || {
  cat "$KV_TMP/wine.log" >&2
  kv_fail "the installed game opened no window titled Kelvara"
}
kv_play_until_stats "$window"
echo "title after play: \"$KV_TITLE\""

# While it runs the uninstaller refuses and changes nothing. (Run in place,
# so that its exit status is the uninstall's own.)
timeout 120 wine "$inst/uninstall.exe" /S "_?=$instdir" >/dev/null 2>&1
status=$?
[ "$status" -ne 0 ] || kv_fail "the uninstaller reported success while the game ran"
[ -f "$inst/kelvara.exe" ] && [ -f "$lnk" ] || kv_fail "the refused uninstall removed files"
kv_wine_out reg query "$key" >/dev/null || kv_fail "the refused uninstall removed the uninstall entry"

kv_exit_by_menu "$window" keys

# Uninstalls silently, as Apps does with the entry's quiet command. The
# uninstaller hands over to a copy of itself and returns at once: the
# prefix's server ends once that copy is done.
timeout 120 wine "$instdir\\uninstall.exe" /S >/dev/null 2>&1
status=$?
[ "$status" -eq 0 ] || kv_fail "the silent uninstall exited with $status"
timeout 120 wineserver -w || kv_fail "the uninstaller did not finish"

[ ! -e "$inst" ] || kv_fail "the game's folder is still there: $(ls -A "$inst")"
[ ! -e "$lnk" ] || kv_fail "the Start-menu shortcut is still there"
kv_wine_out reg query "$key" >/dev/null && kv_fail "the uninstall entry is still there"
timeout 60 wineserver -w
# Nothing else is left: the files are those from before the install, but
# for the uninstaller's temporary copy, which Windows removes at the next
# start; the registry names Kelvara nowhere.
snapshot >"$work/after.txt"
left=$(comm -13 "$work/before.txt" "$work/after.txt" | grep -v '^\./users/[^/]*/Temp/~nsu[^/]*\.tmp\(/Un\.exe\)\?$')
[ -z "$left" ] || kv_fail "left behind after uninstalling: $left"
gone=$(comm -23 "$work/before.txt" "$work/after.txt")
[ -z "$gone" ] || kv_fail "gone after installing and uninstalling: $gone"
registry=$(grep -i kelvara "$WINEPREFIX/user.reg" "$WINEPREFIX/system.reg")
[ -z "$registry" ] || kv_fail "the registry still names Kelvara: $registry"
echo "uninstalled: nothing of Kelvara is left"
