#!/usr/bin/env bash
# The release's setup program, run silently under Wine in fresh 32-bit and 64-bit
# prefixes of the build folder on the harness's display; the files, the registry
# and control.ini are read back from outside.
#   setup_test.sh SETUP SAVER DRIVER BUILD_DIR DRIVER_ARCH VERSION
setup=$1 saver=$2 driver=$3 build=$4 driver_arch=$5 version=$6
if ! "$(dirname "$0")/../../tools/can_run_32bit.sh" || [ ! -x /usr/lib/wine/wine ]; then
  echo "SKIPPED: the setup program is a 32-bit program, and 32-bit Wine cannot run here"
  exit 77
fi
[ -f "$setup" ] || { echo "$setup is missing: cmake --build $(dirname "$setup") --target package"; exit 1; }
export DISPLAY=":$(cat "$build/harness/display")" WINEDEBUG=-all
entry='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\KH_Schoner'
desktop='HKCU\Control Panel\Desktop'
uninstaller='C:\Program Files\Kranichhof Bildschirmschoner\Deinstallieren.exe'
failed=0
check() {  # check WHAT COMMAND...
  if "${@:2}"; then echo "ok: $1"; else echo "FAILED: $1"; failed=$((failed + 1)); fi
}
none() { ! "$@"; }
same() { [ "${1,,}" = "${2,,}" ]; }
run() { "$WINELOADER" "$@"; local status=$?; wineserver -w; return $status; }
value() { "$WINELOADER" reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z]* *//p"; }
fresh_prefix() {  # fresh_prefix win32|win64 SYSTEM_FOLDER
  echo "== a fresh $1 prefix"
  export WINEARCH=$1 WINEPREFIX=$build/setup_$1 WINELOADER=/usr/lib/wine/wine
  [ "$1" = win64 ] && WINELOADER=/usr/lib/wine/wine64
  wineserver -k 2>/dev/null; rm -rf "$WINEPREFIX"
  WINEDLLOVERRIDES="mscoree,mshtml=" run wineboot -i >/dev/null 2>&1
  windows=$WINEPREFIX/drive_c/windows folder="C:\\windows\\$2"
  programs="$WINEPREFIX/drive_c/Program Files/Kranichhof Bildschirmschoner"
  "$WINELOADER" reg add "$desktop" /v SCRNSAVE.EXE /d 'C:\windows\system32\vorher.scr' /f >/dev/null
}
install() {  # install SYSTEM_FOLDER
  check "the silent setup ends with 0" run "$setup" /S
  check "$1 holds the built saver" cmp "$windows/$1/KH_Schoner.scr" "$saver"
  check "our saver is chosen" same "$(value "$desktop" SCRNSAVE.EXE)" "$folder\\KH_Schoner.scr"
  [ "$WINEARCH" != "$driver_arch" ] || check "the installed saver runs full-screen and a key ends it with 0" run "$driver"
}
fresh_prefix win32 system32
install system32
for pair in "DisplayName=Kranichhof Bildschirmschoner" "DisplayVersion=$version" "Publisher=Kranichhof e.V." \
    "DisplayIcon=$folder\\KH_Schoner.scr,0" "EstimatedSize=$(printf 0x%x $(( ($(stat -c %s "$saver") + 1023) / 1024 )))" \
    "UninstallString=\"$uninstaller\""; do
  check "the programs list's entry has ${pair%%=*}" same "$(value "$entry" "${pair%%=*}")" "${pair#*=}"
done
check "the uninstaller is where its entry says" test -f "$programs/Deinstallieren.exe"
store=$(echo "$WINEPREFIX"/drive_c/users/*/AppData/Local)/VirtualStore/windows
printf '[Screen Saver.KH_Schoner]\r\nArt=3\r\n' >"$windows/control.ini"
mkdir -p "$store" && cp "$windows/control.ini" "$store/"
echo "== installed over the installed one"
install system32
check "the settings are kept" grep -q '^Art=3' "$windows/control.ini"
check "the silent uninstaller ends with 0" run "$uninstaller" /S
check "the saver is gone" none test -e "$windows/system32/KH_Schoner.scr"
check "the uninstaller and its folder are gone" none test -e "$programs"
check "the programs list has no entry" none "$WINELOADER" reg query "$entry"
check "the saver chosen before is back" same "$(value "$desktop" SCRNSAVE.EXE)" 'C:\windows\system32\vorher.scr'
check "no settings section is left" none grep -qs 'KH_Schoner' "$windows/control.ini" "$store/control.ini"
fresh_prefix win64 syswow64
install syswow64
check "system32 holds no saver" none test -e "$windows/system32/KH_Schoner.scr"
wineserver -w; echo "$failed checks failed"
[ "$failed" = 0 ]
