; The Windows setup program: installs Kelvara for the current user (no
; administrator rights), adds a Start-menu entry that starts the game at a
; playable pace, and registers an uninstaller that Apps (Add or Remove
; Programs) lists. dist/make-setup.sh runs it:
;   makensis -DKV_VERSION=1.0 -DKV_VERSION_NUMBERS=1.0.0.0 -DKV_STAGE=<folder>
;            -DKV_OUTFILE=<setup.exe> kelvara.nsi
; KV_STAGE holds kelvara.exe, kelvara.ico, README.txt and LICENSE.txt.

Unicode true
; The game is a 64-bit program; a 64-bit setup sees the same folders and
; registry as the game does, and runs where the game runs.
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true
RequestExecutionLevel user

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"

!define KV_PUBLISHER "The Kelvara developers"
!define KV_UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kelvara"
; Easy in real time: 500 frames of 0.002 s make a second.
!define KV_PACE "--pace 500"

Name "Kelvara"
OutFile "${KV_OUTFILE}"
; Where per-user programs go (FOLDERID_UserProgramFiles); a reinstall or an
; update goes where the last install went.
InstallDir "$LOCALAPPDATA\Programs\Kelvara"
InstallDirRegKey HKCU "${KV_UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${KV_VERSION_NUMBERS}"
VIFileVersion "${KV_VERSION_NUMBERS}"
VIAddVersionKey /LANG=1033 "ProductName" "Kelvara"
VIAddVersionKey /LANG=1033 "ProductVersion" "${KV_VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${KV_VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "Kelvara Setup"
VIAddVersionKey /LANG=1033 "CompanyName" "${KV_PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (c) 2025 The Kelvara developers, MIT licence"
VIAddVersionKey /LANG=1033 "Comments" "Arcade football against the computer"

!define MUI_ICON "${KV_STAGE}/kelvara.ico"
!define MUI_UNICON "${KV_STAGE}/kelvara.ico"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\kelvara.exe"
!define MUI_FINISHPAGE_RUN_PARAMETERS "${KV_PACE}"
!define MUI_FINISHPAGE_RUN_TEXT "Play Kelvara now"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\README.txt"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Show the README (how to play, the pace)"

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Var CreatedFolder

; Windows keeps the file of a running program: stop before anything changes
; rather than leave a half-replaced or half-removed game behind.
!macro KvStopIfRunning
  ${If} ${FileExists} "$INSTDIR\kelvara.exe"
    ClearErrors
    FileOpen $0 "$INSTDIR\kelvara.exe" a
    ${If} ${Errors}
      MessageBox MB_OK|MB_ICONEXCLAMATION "Kelvara is running. Close it, then try again." /SD IDOK
      Abort
    ${EndIf}
    FileClose $0
  ${EndIf}
!macroend

Section "Kelvara"
  !insertmacro KvStopIfRunning
  ; The outermost folder of the install path that does not exist yet: the
  ; uninstaller removes the folders up to it again, when they are empty.
  StrCpy $0 $INSTDIR
  StrCpy $CreatedFolder ""
  ${DoWhile} $0 != ""
    ${If} ${FileExists} "$0\*.*"
      ${Break}
    ${EndIf}
    StrCpy $CreatedFolder $0
    ${GetParent} $0 $0
  ${Loop}
  ${If} $CreatedFolder == ""
    ; The folder was there already; a reinstall keeps what the first install
    ; created.
    ReadRegStr $CreatedFolder HKCU "${KV_UNINSTALL_KEY}" "CreatedFolder"
  ${EndIf}

  SetOutPath $INSTDIR
  File "${KV_STAGE}/kelvara.exe"
  File "${KV_STAGE}/kelvara.ico"
  File "${KV_STAGE}/README.txt"
  File "${KV_STAGE}/LICENSE.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The shortcut starts in the game's folder (the current output path).
  SetShellVarContext current
  CreateShortcut "$SMPROGRAMS\Kelvara.lnk" "$INSTDIR\kelvara.exe" "${KV_PACE}" \
    "$INSTDIR\kelvara.ico" 0 SW_SHOWNORMAL "" "Arcade football against the computer"

  WriteRegStr HKCU "${KV_UNINSTALL_KEY}" "DisplayName" "Kelvara"
  WriteRegStr HKCU "${KV_UNINSTALL_KEY}" "DisplayVersion" "${KV_VERSION}"
  WriteRegStr HKCU "${KV_UNINSTALL_KEY}" "Publisher" "${KV_PUBLISHER}"
  WriteRegStr HKCU "${KV_UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\kelvara.ico"
  WriteRegStr HKCU "${KV_UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${KV_UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${KV_UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${KV_UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${KV_UNINSTALL_KEY}" "NoRepair" 1
  ${If} $CreatedFolder != ""
    WriteRegStr HKCU "${KV_UNINSTALL_KEY}" "CreatedFolder" "$CreatedFolder"
  ${EndIf}
  ; Apps shows the size in KB.
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${KV_UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
  !insertmacro KvStopIfRunning
  Delete "$INSTDIR\kelvara.exe"
  Delete "$INSTDIR\kelvara.ico"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\uninstall.exe"
  SetShellVarContext current
  Delete "$SMPROGRAMS\Kelvara.lnk"

  ; The game's folder, and the folders above it that the setup made, each
  ; only when empty: files of the user's own stay, and so do their folders.
  ReadRegStr $1 HKCU "${KV_UNINSTALL_KEY}" "CreatedFolder"
  RMDir $INSTDIR
  ; Only a folder that holds the game's folder: the path up to a backslash.
  StrLen $2 $1
  StrCpy $3 $INSTDIR $2
  StrCpy $4 $INSTDIR 1 $2
  ${If} $1 != ""
  ${AndIf} $3 == $1
  ${AndIf} $4 == "\"
    StrCpy $0 $INSTDIR
    ${DoWhile} $0 != $1
      ${GetParent} $0 $0
      ${If} $0 == ""
        ${Break}
      ${EndIf}
      RMDir $0
    ${Loop}
  ${EndIf}

  DeleteRegKey HKCU "${KV_UNINSTALL_KEY}"
SectionEnd
