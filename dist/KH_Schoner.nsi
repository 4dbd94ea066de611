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
; No file dates in the setup: two builds of one revision give the same bytes, and
; the installed saver carries the date it was installed.
SetDateSave off
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
; What the chosen saver was before ours: per user, as the choice itself.
!define USER_KEY "Software\${PRODUCT}"
!define PREVIOUS_VALUE "VorherigerSchoner"
; The new saver is written whole under this name before it takes the old one's
; place, which waits under the other until then.
!define NEW_SCR "KH_Schoner.neu"
!define OLD_SCR "KH_Schoner.alt"

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
; Room for the text that another user's desktop gets instead of the box.
!define MUI_FINISHPAGE_TEXT_LARGE
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Bildschirmschoner-Einstellungen öffnen"
!define MUI_FINISHPAGE_RUN_FUNCTION OpenDisplaySettings
!define MUI_PAGE_CUSTOMFUNCTION_SHOW ShowFinish
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
Bitte melden Sie sich als Administrator an"

!define CHOOSE_YOURSELF "Der Schoner ist installiert, aber nicht ausgewählt: Das Setup \
lief unter einem anderen Benutzer als dem angemeldeten. So wählen Sie ihn selbst aus: \
Rechte Maustaste auf den Desktop, „Eigenschaften“ (ab Windows Vista „Anpassen“, unter \
Windows 10 und 11 dann „Sperrbildschirm“), „Bildschirmschoner“."

Var Folder      ; where the display settings look for screen savers
Var SaverPath   ; our saver as Windows itself would write it for the chosen one
Var OwnDesktop  ; 1 where the setup runs as the user whose desktop it shows

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

; Whether the setup runs as the user whose desktop it shows. Elevated with another
; administrator's password (from Vista on) or started with "Ausführen als…", it runs as
; that administrator: the choice, HKCU and display settings it would change are not
; the desktop's user's. It compares the user of its own process with the user of the
; process that owns the shell's window (Explorer); where there is no shell window, or
; its process or token cannot be read, the desktop is not its own either. Windows 95,
; 98 and ME have one user, and an NT 4 without GetShellWindow tells nothing: there
; the desktop counts as its own.
!macro OWN_DESKTOP un
; $R0: a process handle; $R1 becomes a buffer with its token's user, or 0.
Function ${un}TokenUser
  StrCpy $R1 0
  System::Call 'advapi32::OpenProcessToken(p R0, i 8, *p .R2) i .R3' ; TOKEN_QUERY
  ${If} $R3 <> 0
    System::Alloc 256
    Pop $R1
    System::Call 'advapi32::GetTokenInformation(p R2, i 1, p R1, i 256, *i .R3) i .R3' ; TokenUser
    System::Call 'kernel32::CloseHandle(p R2)'
    ${If} $R3 = 0
      System::Free $R1
      StrCpy $R1 0
    ${EndIf}
  ${EndIf}
FunctionEnd

Function ${un}DecideDesktop
  StrCpy $OwnDesktop 1
  ${IfNot} ${IsNT}
    Return
  ${EndIf}
  System::Call 'user32::GetShellWindow() p .r0'
  ${If} $0 == "error"
    Return
  ${EndIf}
  StrCpy $OwnDesktop 0
  System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1)'
  System::Call 'kernel32::OpenProcess(i 0x400, i 0, i r1) p .r2' ; PROCESS_QUERY_INFORMATION
  ${If} $2 <> 0
    StrCpy $R0 $2
    Call ${un}TokenUser
    StrCpy $3 $R1
    System::Call 'kernel32::CloseHandle(p r2)'
    StrCpy $R0 -1 ; the current process
    Call ${un}TokenUser
    ${If} $3 <> 0
    ${AndIf} $R1 <> 0
      System::Call '*$3(p .r4)'
      System::Call '*$R1(p .r5)'
      System::Call 'advapi32::EqualSid(p r4, p r5) i .r6'
      ${If} $6 <> 0
        StrCpy $OwnDesktop 1
      ${EndIf}
    ${EndIf}
    System::Free $3
    System::Free $R1
  ${EndIf}
  ${If} $OwnDesktop = 0
    DetailPrint "Das Programm läuft unter einem anderen Benutzer als dem angemeldeten; \
dessen Auswahl des Bildschirmschoners bleibt unverändert."
  ${EndIf}
FunctionEnd
!macroend
!insertmacro OWN_DESKTOP ""
!insertmacro OWN_DESKTOP "un."

; Windows 95, 98 and ME know no administrators; from NT on only they write the
; system folder and the machine's programs list.
!macro NEED_ADMIN un
Function ${un}.onInit
  ${If} ${IsNT}
    UserInfo::GetAccountType
    Pop $0
    ${If} $0 != "Admin"
      ; "Als Administrator ausführen" came with Vista, "Ausführen als…" with 2000;
      ; NT 4 runs a program as another user only by logging on as that user.
      ${If} ${AtLeastWinVista}
        StrCpy $0 ", oder klicken Sie mit der rechten Maustaste auf die Datei und wählen \
Sie „Als Administrator ausführen“"
      ${ElseIf} ${AtLeastWin2000}
        StrCpy $0 ", oder klicken Sie mit der rechten Maustaste auf die Datei (unter \
Windows 2000 mit gedrückter Umschalttaste) und wählen Sie „Ausführen als…“"
      ${Else}
        StrCpy $0 ""
      ${EndIf}
      MessageBox MB_OK|MB_ICONSTOP "${NO_ADMIN}$0. Es wurde nichts verändert." /SD IDOK
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

; Calls the function probe until it leaves the error flag clear: set, the saver's file
; is in use, and the user may retry or cancel with nothing changed.
!macro RETRY_WHILE_IN_USE probe message
  ${Do}
    ClearErrors
    Call ${probe}
    ${IfNot} ${Errors}
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

; Windows refuses to open the file for writing while the saver runs (also as the
; display settings' preview) or another program holds it open without sharing it.
Function OpenSaverForWriting
  ${If} ${FileExists} "$Folder\${SCR}"
    FileOpen $0 "$Folder\${SCR}" a
    ${If} $0 != ""
      FileClose $0
    ${EndIf}
  ${EndIf}
FunctionEnd

; Renaming, as deleting, fails where a program holds the file open without letting
; others delete it, which the test for writing lets through.
Function MoveSaverAside
  ; One left by an installation that the machine's end cut short.
  Delete "$Folder\${OLD_SCR}"
  ${If} ${FileExists} "$Folder\${SCR}"
    Rename "$Folder\${SCR}" "$Folder\${OLD_SCR}"
  ${EndIf}
FunctionEnd

Function un.DeleteSaver
  ${If} ${FileExists} "$Folder\${SCR}"
    Delete "$Folder\${SCR}"
  ${EndIf}
FunctionEnd

Section "-Bildschirmschoner" SaverSection
  Call SaverFolder
  Call DecideDesktop
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
  !insertmacro RETRY_WHILE_IN_USE OpenSaverForWriting "Das Setup kann sie nicht ersetzen."

  ; A write that fails (a full disk) leaves the old saver whole.
  SetOutPath $Folder
  File "/oname=${NEW_SCR}" "${SAVER}"
  !insertmacro RETRY_WHILE_IN_USE MoveSaverAside "Das Setup kann sie nicht ersetzen."
  ClearErrors
  Rename "$Folder\${NEW_SCR}" "$Folder\${SCR}"
  IfErrors 0 +2
    Abort "Abgebrochen, es wurde nichts verändert."
  Delete "$Folder\${OLD_SCR}"
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
  ${If} $OwnDesktop = 1
    !insertmacro READ_CHOSEN
    !insertmacro IS_OURS
    ${If} $1 == 0
      WriteRegStr HKCU "${USER_KEY}" "${PREVIOUS_VALUE}" $0
    ${EndIf}
    StrCpy $0 $SaverPath
    !insertmacro WRITE_CHOSEN
  ${EndIf}
SectionEnd

; A cancelled or failed installation puts the old saver back and leaves no new one.
Function .onInstFailed
  Delete "$Folder\${NEW_SCR}"
  ${IfNot} ${FileExists} "$Folder\${SCR}"
    Rename "$Folder\${OLD_SCR}" "$Folder\${SCR}"
  ${EndIf}
FunctionEnd

; Another user's desktop gets no display settings, but the way to choose the saver.
Function ShowFinish
  ${If} $OwnDesktop = 0
    SendMessage $mui.FinishPage.Text ${WM_SETTEXT} 0 "STR:${CHOOSE_YOURSELF}"
    SendMessage $mui.FinishPage.Run ${BM_SETCHECK} ${BST_UNCHECKED} 0
    ShowWindow $mui.FinishPage.Run ${SW_HIDE}
  ${EndIf}
FunctionEnd

; What the context menu's "Installieren" of a .scr runs: the display settings open
; on the screen-saver page with the saver chosen. On 64-bit Windows the system's
; own 64-bit rundll32 runs it, as the context menu would. Windows 95, 98 and ME keep
; RUNDLL32.EXE in the Windows folder.
Function OpenDisplaySettings
  ${If} ${RunningX64}
    ${DisableX64FSRedirection}
  ${EndIf}
  StrCpy $0 $WINDIR
  ${If} ${IsNT}
    StrCpy $0 $SYSDIR
  ${EndIf}
  Exec '"$0\rundll32.exe" desk.cpl,InstallScreenSaver $SaverPath'
  ${If} ${RunningX64}
    ${EnableX64FSRedirection}
  ${EndIf}
FunctionEnd

Section "Uninstall"
  Call un.SaverFolder
  Call un.DecideDesktop
  ; Whether ours is chosen is read while its file is there to compare with.
  !insertmacro READ_CHOSEN
  !insertmacro IS_OURS
  ; The file goes first: a saver in use stops the removal with nothing changed,
  ; instead of leaving a saver that no entry removes any more.
  !insertmacro RETRY_WHILE_IN_USE un.DeleteSaver "Die Deinstallation kann sie nicht entfernen."

  ; Where ours is chosen, the one chosen before it comes back, or none where that
  ; one's file is gone. Another user's choice stays as it is.
  ${If} $OwnDesktop = 1
    ${If} $1 == 1
      ReadRegStr $0 HKCU "${USER_KEY}" "${PREVIOUS_VALUE}"
      ${IfNot} ${FileExists} $0
        StrCpy $0 ""
      ${EndIf}
      !insertmacro WRITE_CHOSEN
    ${EndIf}
    DeleteRegKey HKCU "${USER_KEY}"
  ${EndIf}

  ; The saver's settings; from Vista on a saver run without administrator rights
  ; wrote them into the user's virtual store instead of the Windows folder.
  ${If} ${FileExists} "$WINDIR\control.ini"
    DeleteINISec "$WINDIR\control.ini" "${SETTINGS_SECTION}"
    FlushINI "$WINDIR\control.ini"
  ${EndIf}
  ${If} ${AtLeastWinVista}
  ${AndIf} $OwnDesktop = 1
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
