; The Windows installer: the program into Program Files, a Start-menu
; shortcut, and an uninstaller listed under the installed programs.
; makensis -DVERSION=1.0.0 -DEXE=path -DLICENSE=path -DICON=path -DOUTFILE=path
;          -DTARGET=amd64-unicode|x86-unicode
;
; The x64 and the x86 installer make one product: each removes an install of
; either architecture before it installs, so that one entry under the
; installed programs and one Start-menu shortcut belong to one install.
Unicode true
Target ${TARGET}
!if ${TARGET} == amd64-unicode
  !define PROGRAM_FILES "$PROGRAMFILES64"
!else
  !define PROGRAM_FILES "$PROGRAMFILES"
!endif
!define PRODUCT "3 x 3-Minute Quadrangler"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quadrangler"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
Icon "${ICON}"
UninstallIcon "${ICON}"
InstallDir "${PROGRAM_FILES}\Quadrangler"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "CompanyName" "The Quadrangler developers"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) 2026 The Quadrangler developers"

; The licence is shown to a person; a silent install (/S) skips it.
LicenseData "${LICENSE}"
Page license
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; The install listed in this view of the registry (64 or 32), if any, is
; removed by its own uninstaller, run in place (_?=) so that it is waited
; for; an entry whose uninstaller is gone is removed as well.
!macro RemoveInstall VIEW
  SetRegView ${VIEW}
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "UninstallString"
  ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  StrCmp $0 "" removed_${VIEW}
  StrCmp $1 "" removed_${VIEW}
  ExecWait '$0 /S _?=$1'
  Delete "$1\uninstall.exe"
  RMDir "$1"
  removed_${VIEW}:
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
!macroend

Section "Install"
  SetShellVarContext all
  ; On 32-bit Windows both views are the one registry.
  !insertmacro RemoveInstall 64
  !insertmacro RemoveInstall 32
  SetRegView default ; this installer's own architecture
  SetOutPath "$INSTDIR"
  File "/oname=quadrangler.exe" "${EXE}"
  File "/oname=LICENSE.txt" "${LICENSE}"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "${SHORTCUT}" "$INSTDIR\quadrangler.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "The Quadrangler developers"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\quadrangler.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  Delete "${SHORTCUT}"
  Delete "$INSTDIR\quadrangler.exe"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
