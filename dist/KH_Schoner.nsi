; The setup program of the release: puts KH_Schoner.scr where the display settings
; of every Windows look for screen savers, chooses it as Windows' own "Installieren"
; does, and registers an uninstaller in the system's programs list. The package
; target builds it beside the zip:
;   makensis -INPUTCHARSET UTF8 -DVERSION=1.6 -DSAVER=.../KH_Schoner.scr
;            -DICON=.../saver.ico -DOUTFILE=.../KH_Schoner-Setup-1.6.exe KH_Schoner.nsi
;
; An ANSI installer: NSIS's Unicode installers do not run on Windows 95, 98 and ME.
; Every plug-in it uses (System, UserInfo) is the x86-ansi one that comes with it.
Unicode false
!pragma warning error all
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include WinVer.nsh
!include x64.nsh

!define PRODUCT "Kranichhof Bildschirmschoner"
!define PUBLISHER "Kranichhof e.V."
!define SCR "KH_Schoner.scr"
!define UNINSTALLER "Deinstallieren.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\KH_Schoner"
!define SETTINGS_SECTION "Screen Saver.KH_Schoner"
; What the chosen saver was before ours, kept in our entry of the programs list.
!define PREVIOUS_VALUE "VorherigerSchoner"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\${PRODUCT}"
RequestExecutionLevel admin
; A file that cannot be written gets Retry and Cancel only: skipping it would leave
; a half-made installation.
AllowSkipFiles off
ShowInstDetails show
ShowUninstDetails show
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0.0"
VIFileVersion "${VERSION}.0.0"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_INSTFILES
; Ticked unless the user unticks it: the display settings open with our saver.
!define MUI_FINISHPAGE_TITLE_3LINES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Bildschirmschoner-Einstellungen öffnen"
!define MUI_FINISHPAGE_RUN_FUNCTION OpenDisplaySettings
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "German"

VIAddVersionKey /LANG=${LANG_GERMAN} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_GERMAN} "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=${LANG_GERMAN} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_GERMAN} "InternalName" "KH_Schoner-Setup"
VIAddVersionKey /LANG=${LANG_GERMAN} "LegalCopyright" "© ${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_GERMAN} "OriginalFilename" "KH_Schoner-Setup-${VERSION}.exe"
VIAddVersionKey /LANG=${LANG_GERMAN} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_GERMAN} "ProductVersion" "${VERSION}"

!define NO_ADMIN "Der Kranichhof Bildschirmschoner liegt im Systemordner von Windows; \
installieren und entfernen dürfen ihn nur Administratoren.$\r$\n$\r$\n\
Bitte melden Sie sich als Administrator an, oder klicken Sie mit der rechten Maustaste \
auf die Datei und wählen Sie „Als Administrator ausführen“. Es wurde nichts verändert."

Var Folder      ; where the display settings look for screen savers
Var SaverPath   ; our saver as Windows itself would write it for the chosen one

; The system folder of 32-bit programs, where every Windows' display settings look:
; SYSTEM on Windows 95, 98 and ME, SYSTEM32 from NT on, SysWOW64 on 64-bit Windows.
; A 32-bit program's SYSTEM32 is sent to SysWOW64 anyway; the folder is named by its
; own name so that the path written for the 64-bit system finds the file.
!macro SAVER_FOLDER un
Function ${un}SaverFolder
  ; Gives "error" where kernel32 lacks the function (before XP), 0 on 32-bit Windows;
  ; $1 stays 0 where the plug-in cannot load (it needs MSVCRT.DLL, as the saver does).
  StrCpy $1 0
  System::Call 'kernel32::GetSystemWow64Directory(t .r0, i ${NSIS_MAX_STRLEN}) i .r1'
  ${If} $1 == "error"
  ${OrIf} $1 == 0
    StrCpy $0 $SYSDIR
  ${EndIf}
  StrCpy $Folder $0
  ; Windows up to XP keeps the chosen saver as a short path, Vista and later as the
  ; long one; the file must exist for the short one.
  ${If} ${AtLeastWinVista}
    StrCpy $SaverPath "$Folder\${SCR}"
  ${Else}
    GetFullPathName /SHORT $SaverPath "$Folder\${SCR}"
  ${EndIf}
FunctionEnd
!macroend
!insertmacro SAVER_FOLDER ""
!insertmacro SAVER_FOLDER "un."

; Windows 95, 98 and ME know no administrators; from NT on only they write the
; system folder and the machine's programs list.
!macro NEED_ADMIN un
Function ${un}.onInit
  ${If} ${IsNT}
    UserInfo::GetAccountType
    Pop $0
    ${If} $0 != "Admin"
      MessageBox MB_OK|MB_ICONSTOP "${NO_ADMIN}" /SD IDOK
      Abort
    ${EndIf}
  ${EndIf}
FunctionEnd
!macroend
!insertmacro NEED_ADMIN ""
!insertmacro NEED_ADMIN "un"

; $0: the chosen saver, as the system keeps it, or "" for none.
!macro READ_CHOSEN
  ${If} ${IsNT}
    ReadRegStr $0 HKCU "Control Panel\Desktop" "SCRNSAVE.EXE"
  ${Else}
    ReadINIStr $0 "$WINDIR\system.ini" "boot" "SCRNSAVE.EXE"
  ${EndIf}
!macroend

; Chooses the saver $0 ("" for none): the registry from NT on, SYSTEM.INI before.
; Choosing none also switches the saver off, as the display settings' "(Kein)" does.
!macro WRITE_CHOSEN
  ${If} $0 == ""
    ${If} ${IsNT}
      DeleteRegValue HKCU "Control Panel\Desktop" "SCRNSAVE.EXE"
    ${Else}
      DeleteINIStr "$WINDIR\system.ini" "boot" "SCRNSAVE.EXE"
    ${EndIf}
    ; SPI_SETSCREENSAVEACTIVE, saved and announced
    System::Call 'user32::SystemParametersInfo(i 17, i 0, p 0, i 3)'
  ${Else}
    ${If} ${IsNT}
      WriteRegStr HKCU "Control Panel\Desktop" "SCRNSAVE.EXE" $0
    ${Else}
      WriteINIStr "$WINDIR\system.ini" "boot" "SCRNSAVE.EXE" $0
      FlushINI "$WINDIR\system.ini"
    ${EndIf}
    System::Call 'user32::SystemParametersInfo(i 17, i 1, p 0, i 3)'
  ${EndIf}
!macroend

; Sets $1 to 1 when the saver $0 is ours, whichever form of its path it has.
!macro IS_OURS
  StrCpy $1 0
  ${If} $0 != ""
    GetFullPathName /SHORT $2 $0
    GetFullPathName /SHORT $3 "$Folder\${SCR}"
    ${If} $2 != ""
    ${AndIf} $2 == $3
      StrCpy $1 1
    ${EndIf}
  ${EndIf}
!macroend

; The file is opened for writing, which Windows refuses while the saver runs (also
; as the display settings' preview) or another program holds it open.
!macro WAIT_WHILE_IN_USE message
  ${Do}
    ${IfNot} ${FileExists} "$Folder\${SCR}"
      ${Break}
    ${EndIf}
    ClearErrors
    FileOpen $0 "$Folder\${SCR}" a
    ${IfNot} ${Errors}
      FileClose $0
      ${Break}
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Die Datei $Folder\${SCR} wird gerade \
benutzt: Der Bildschirmschoner läuft (vielleicht als Vorschau in den \
Anzeigeeinstellungen), oder ein anderes Programm hat sie geöffnet. ${message}$\r$\n$\r$\n\
Beenden Sie den Schoner, schließen Sie die Anzeigeeinstellungen und klicken Sie auf \
„Wiederholen“. „Abbrechen“ bricht ab, ohne etwas zu verändern." /SD IDCANCEL IDRETRY +2
    Abort "Abgebrochen, es wurde nichts verändert."
  ${Loop}
!macroend

Section "-Bildschirmschoner" SaverSection
  Call SaverFolder
  ; Whatever can refuse is asked before anything changes, so that a refusal leaves
  ; the system as it was.
  ClearErrors
  GetTempFileName $0 $Folder
  ${If} ${Errors}
  ${OrIf} $0 == ""
    MessageBox MB_OK|MB_ICONSTOP "Das Setup kann nicht in den Ordner $Folder schreiben, \
in dem Windows seine Bildschirmschoner sucht. Es wurde nichts verändert.$\r$\n$\r$\n\
Bitte melden Sie sich als Administrator an und starten Sie das Setup noch einmal." /SD IDOK
    Abort "Abgebrochen, es wurde nichts verändert."
  ${EndIf}
  ; The probe leaves no line in the list of details.
  SetDetailsPrint none
  Delete $0
  SetDetailsPrint lastused
  !insertmacro WAIT_WHILE_IN_USE "Das Setup kann sie nicht ersetzen."

  SetOutPath $Folder
  File "${SAVER}"
  Call SaverFolder

  SetOutPath $INSTDIR
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$Folder\${SCR},0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  SectionGetSize ${SaverSection} $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0

  ; The saver chosen before ours is kept once; an installation over ours keeps it.
  !insertmacro READ_CHOSEN
  !insertmacro IS_OURS
  ${If} $1 == 0
    WriteRegStr HKLM "${UNINSTALL_KEY}" "${PREVIOUS_VALUE}" $0
  ${EndIf}
  StrCpy $0 $SaverPath
  !insertmacro WRITE_CHOSEN
SectionEnd

; What the context menu's "Installieren" of a .scr runs: the display settings open
; on the screen-saver page with the saver chosen. On 64-bit Windows the system's
; own 64-bit rundll32 runs it, as the context menu would.
Function OpenDisplaySettings
  ${If} ${RunningX64}
    ${DisableX64FSRedirection}
  ${EndIf}
  Exec '"$SYSDIR\rundll32.exe" desk.cpl,InstallScreenSaver $SaverPath'
  ${If} ${RunningX64}
    ${EnableX64FSRedirection}
  ${EndIf}
FunctionEnd

Section "Uninstall"
  Call un.SaverFolder
  !insertmacro WAIT_WHILE_IN_USE "Die Deinstallation kann sie nicht entfernen."

  ; Where ours is chosen, the one chosen before it comes back, or none.
  !insertmacro READ_CHOSEN
  !insertmacro IS_OURS
  ${If} $1 == 1
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "${PREVIOUS_VALUE}"
    !insertmacro WRITE_CHOSEN
  ${EndIf}

  Delete "$Folder\${SCR}"
  ; The saver's settings; from Vista on a saver run without administrator rights
  ; wrote them into the user's virtual store instead of the Windows folder.
  ${If} ${FileExists} "$WINDIR\control.ini"
    DeleteINISec "$WINDIR\control.ini" "${SETTINGS_SECTION}"
    FlushINI "$WINDIR\control.ini"
  ${EndIf}
  ${If} ${AtLeastWinVista}
    ; The store mirrors the Windows folder's path without its drive.
    StrCpy $0 $WINDIR "" 3
    StrCpy $0 "$LOCALAPPDATA\VirtualStore\$0\control.ini"
    ${If} ${FileExists} $0
      DeleteINISec $0 "${SETTINGS_SECTION}"
      FlushINI $0
    ${EndIf}
  ${EndIf}

  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir $INSTDIR
  ; Last, so that an entry gone means an uninstallation done.
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
