; The setup program of PLOVA for 64-bit Windows, made by scripts/windows-dist:
;   makensis -DVERSION=X.Y.Z -DOUTFILE=... -DICON=plova.ico -DFILES=files.nsh
;            -DUNFILES=unfiles.nsh -DMARK=installed-by-setup.txt -DLICENSE=LICENSE.txt
;            plova.nsi
; FILES installs the laid-out folder file by file and UNFILES removes exactly
; those files, so the uninstaller leaves whatever else the folder holds.
; It installs for every user into Program Files (an administrator's task),
; adds a Start-menu entry and an entry under the installed programs, and
; leaves MARK beside plova.exe, so the program keeps its settings in each
; user's %APPDATA%\PLOVA. "/S" installs and uninstalls silently.

; A 64-bit setup program, as the programs it installs are: it runs where they
; run (and under a Wine without its 32-bit half).
Target amd64-unicode
SetCompressor /SOLID lzma

!include "MUI2.nsh"

!define PRODUCT "PLOVA"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\PLOVA"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "Software\${PRODUCT}" "InstallDir"
RequestExecutionLevel admin
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "GPL-3.0-or-later"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\plova.exe"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"
!insertmacro MUI_LANGUAGE "English"

Function .onInit
  SetRegView 64
FunctionEnd

Function un.onInit
  SetRegView 64
FunctionEnd

Section "PLOVA"
  SetShellVarContext all
  !include "${FILES}"
  SetOutPath "$INSTDIR"
  FileOpen $0 "$INSTDIR\${MARK}" w
  FileWrite $0 "This folder was installed by the PLOVA setup program.$\r$\n"
  FileWrite $0 "PLOVA keeps each user's settings in %APPDATA%\PLOVA.$\r$\n"
  FileClose $0
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\plova.exe"

  WriteRegStr HKLM "Software\${PRODUCT}" "InstallDir" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "PLOVA developers"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\plova.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  !include "${UNFILES}"
  Delete "$INSTDIR\${MARK}"
  Delete "$INSTDIR\uninstall.exe"
  ; Only when empty: what else the folder holds stays.
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegKey HKLM "Software\${PRODUCT}"
SectionEnd
