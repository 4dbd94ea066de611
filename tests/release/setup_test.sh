#!/usr/bin/env bash
# The release's setup program, run silently under Wine in fresh 32-bit and 64-bit
# prefixes of the build folder on the harness's display; the files, the registry
# and control.ini are read back from outside. Wine has no shell window: desktop_shell
# makes one, of the setup's own user; without it the desktop is another user's.
#   setup_test.sh SETUP SAVER DRIVER BUILD_DIR DRIVER_ARCH VERSION DESKTOP_SHELL
setup=$1 saver=$2 driver=$3 build=$4 driver_arch=$5 version=$6 desktop_shell=$7
if ! "$(dirname "$0")/../../tools/can_run_32bit.sh" || [ ! -x /usr/lib/wine/wine ]; then
  echo "SKIPPED: the setup program is a 32-bit program, and 32-bit Wine cannot run here"
  exit 77
fi
[ -f "$setup" ] || { echo "$setup is missing: cmake --build $(dirname "$setup") --target package"; exit 1; }
export DISPLAY=":$(cat "$build/harness/display")" WINEDEBUG=-all
entry='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\KH_Schoner'
desktop='HKCU\Control Panel\Desktop'
uninstaller='C:\Program Files\Kranichhof Bildschirmschoner\Deinstallieren.exe'
before='C:\windows\system32\vorher.scr'
failed=0 shell_pid=
check() {  # check WHAT COMMAND...
  if "${@:2}"; then echo "ok: $1"; else echo "FAILED: $1"; failed=$((failed + 1)); fi
}
none() { ! "$@"; }
same() { [ "${1,,}" = "${2,,}" ]; }
run() { "$WINELOADER" "$@"; }
ends_with() { "${@:2}"; [ $? = "$1" ]; }
# In place with _?= (unquoted, so without spaces) its exit code is its own.
uninstall() { run "$uninstaller" /S "_?=$(run winepath -s "${uninstaller%\\*}")"; }
short_saver() { [[ ${1,,} =~ ^c:\\windows\\system32\\[^\\.]{1,8}\.scr$ ]] && cmp -s "$(run winepath -u "$1")" "$saver"; }
boot_saver() { tr -d '\r' <"$windows/system.ini" | sed -n 's/^SCRNSAVE.EXE=//p'; }
shell() {  # shell [on [FILE...]]: a shell window on the desktop, or none
  [ -z "$shell_pid" ] || { kill "$shell_pid"; wait "$shell_pid"; shell_pid=; }
  [ "${1:-}" != on ] || { exec 3< <(exec "$WINELOADER" "$desktop_shell" "${@:2}"); shell_pid=$!; read -r -u 3 _; }
}
value() { "$WINELOADER" reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z]* *//p"; }
fresh_prefix() {  # fresh_prefix win32|win64 SYSTEM_FOLDER
  echo "== a fresh $1 prefix"
  shell
  export WINEARCH=$1 WINEPREFIX=$build/setup_$1 WINELOADER=/usr/lib/wine/wine
  [ "$1" = win64 ] && WINELOADER=/usr/lib/wine/wine64
  wineserver -k 2>/dev/null; rm -rf "$WINEPREFIX"
  WINEDLLOVERRIDES="mscoree,mshtml=" run wineboot -i >/dev/null 2>&1; wineserver -w
  windows=$WINEPREFIX/drive_c/windows folder="C:\\windows\\$2"
  programs="$WINEPREFIX/drive_c/Program Files/Kranichhof Bildschirmschoner"
  touch "$windows/system32/vorher.scr"
  "$WINELOADER" reg add "$desktop" /v SCRNSAVE.EXE /d 'C:\windows\system32\vorher.scr' /f >/dev/null
  shell on
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
check "the saver chosen before is remembered for the user" same "$(value 'HKCU\Software\Kranichhof Bildschirmschoner' VorherigerSchoner)" "$before"
store=$(echo "$WINEPREFIX"/drive_c/users/*/AppData/Local)/VirtualStore/windows
printf '[Screen Saver.KH_Schoner]\r\nArt=3\r\n[Screen Saver.Andere]\r\nArt=1\r\n' >"$windows/control.ini"
mkdir -p "$store" && cp "$windows/control.ini" "$store/"
echo "== installed over the installed one"
install system32
check "the settings are kept" grep -q '^Art=3' "$windows/control.ini"
shell on "$folder\\KH_Schoner.scr"  # held open without sharing its deletion
check "the saver in use stops the setup with 2" ends_with 2 run "$setup" /S
check "and the uninstaller, by its own exit code 2" ends_with 2 uninstall
check "with nothing changed" same "$(ls "$windows/system32" | grep -i kh_schoner)$(value "$desktop" SCRNSAVE.EXE)" "KH_Schoner.scr$folder\\KH_Schoner.scr"
shell on
check "the uninstaller's own exit code is 0" ends_with 0 uninstall
check "the saver is gone" none test -e "$windows/system32/KH_Schoner.scr"
check "the programs list has no entry" none "$WINELOADER" reg query "$entry"
check "the saver chosen before is back" same "$(value "$desktop" SCRNSAVE.EXE)" 'C:\windows\system32\vorher.scr'
check "no settings section is left" none grep -qs 'KH_Schoner' "$windows/control.ini" "$store/control.ini"
check "another saver's settings are kept" grep -q 'Screen Saver.Andere' "$windows/control.ini"
shell  # no shell window of the setup's user: the desktop is another user's
check "as another user, the setup installs the saver and chooses nothing" same "$(run "$setup" /S &&
  cmp "$windows/system32/KH_Schoner.scr" "$saver" && value "$desktop" SCRNSAVE.EXE)" "$before"
check "it remembers nothing for the user" none run reg query 'HKCU\Software\Kranichhof Bildschirmschoner'
run reg add "$desktop" /v SCRNSAVE.EXE /d "$folder\\KH_Schoner.scr" /f >/dev/null
check "the silent uninstaller ends with 0" run "$uninstaller" /S
wineserver -w
check "the uninstaller and its folder are gone" none test -e "$programs"
check "the saver is gone, and the desktop's user keeps the choice" same "$(test -e "$windows/system32/KH_Schoner.scr" ||
  value "$desktop" SCRNSAVE.EXE)" "$folder\\KH_Schoner.scr"
run reg add 'HKCU\Software\Wine' /v Version /d win98 /f >/dev/null
printf '[boot]\r\nSCRNSAVE.EXE=%s\r\n' "$before" >"$windows/system.ini"
check "told it is Windows 98, SYSTEM.INI chooses the saver by its short path" short_saver "$(run "$setup" /S && boot_saver)"
uninstall
check "and the uninstaller gives back the one chosen before" same "$(boot_saver)" "$before"
shell on
run reg add 'HKCU\Software\Wine' /v Version /d winxp /f >/dev/null
run reg delete "$desktop" /v SCRNSAVE.EXE /f >/dev/null
check "told it is XP, the registry chooses the saver by its short path" short_saver "$(run "$setup" /S && value "$desktop" SCRNSAVE.EXE)"
uninstall
check "none is chosen again where none was before" none run reg query "$desktop" /v SCRNSAVE.EXE
run reg add "$desktop" /v SCRNSAVE.EXE /d 'C:\windows\system32\fort.scr' /f >/dev/null
run "$setup" /S && uninstall
check "none is chosen where the saver chosen before is gone" none run reg query "$desktop" /v SCRNSAVE.EXE
fresh_prefix win64 syswow64
install syswow64
check "system32 holds no saver" none test -e "$windows/system32/KH_Schoner.scr"
shell; wineserver -w; echo "$failed checks failed"
[ "$failed" = 0 ]
