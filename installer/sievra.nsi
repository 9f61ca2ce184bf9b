; The Windows installer: sv.exe and sv-cli.exe in Program Files, a Start-menu
; entry, and an uninstaller that takes all of it away again.
;
;   makensis -DSV_EXE=... -DSV_CLI_EXE=... -DSV_OUTFILE=... sievra.nsi

; The 64-bit stub: the default 32-bit one installs nothing under a wine
; that runs 64-bit programs only.
Target amd64-unicode
ManifestDPIAware true
SetCompressor /SOLID lzma

!define SV_TITLE "VARNOK Sievra"
!define SV_VERSION "1.00"
!define SV_UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Sievra"
; Where the window keeps its position.
!define SV_SETTINGS_KEY "Software\VB and VBA Program Settings\VARNOK SV"

Name "${SV_TITLE}"
Caption "${SV_TITLE} ${SV_VERSION} Setup"
OutFile "${SV_OUTFILE}"
Icon "${SV_ICON}"
UninstallIcon "${SV_ICON}"
InstallDir "$PROGRAMFILES64\${SV_TITLE}"
InstallDirRegKey HKLM "${SV_UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin

VIProductVersion "1.0.0.0"
VIAddVersionKey "ProductName" "Sievra"
VIAddVersionKey "FileDescription" "${SV_TITLE} Setup"
VIAddVersionKey "FileVersion" "${SV_VERSION}"
VIAddVersionKey "ProductVersion" "${SV_VERSION}"
VIAddVersionKey "CompanyName" "VARNOK"
VIAddVersionKey "LegalCopyright" "VARNOK"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File "/oname=sv.exe" "${SV_EXE}"
  File "/oname=sv-cli.exe" "${SV_CLI_EXE}"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "$SMPROGRAMS\${SV_TITLE}"
  CreateShortcut "$SMPROGRAMS\${SV_TITLE}\${SV_TITLE}.lnk" "$INSTDIR\sv.exe"
  CreateShortcut "$SMPROGRAMS\${SV_TITLE}\Uninstall ${SV_TITLE}.lnk" "$INSTDIR\uninstall.exe"

  WriteRegStr HKLM "${SV_UNINSTALL_KEY}" "DisplayName" "${SV_TITLE}"
  WriteRegStr HKLM "${SV_UNINSTALL_KEY}" "DisplayVersion" "${SV_VERSION}"
  WriteRegStr HKLM "${SV_UNINSTALL_KEY}" "Publisher" "VARNOK"
  WriteRegStr HKLM "${SV_UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\sv.exe"
  WriteRegStr HKLM "${SV_UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${SV_UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${SV_UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${SV_UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${SV_UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  Delete "$INSTDIR\sv.exe"
  Delete "$INSTDIR\sv-cli.exe"
  Delete "$INSTDIR\uninstall.exe"
  ; Only if empty: files the user put there stay.
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\${SV_TITLE}\${SV_TITLE}.lnk"
  Delete "$SMPROGRAMS\${SV_TITLE}\Uninstall ${SV_TITLE}.lnk"
  RMDir "$SMPROGRAMS\${SV_TITLE}"

  DeleteRegKey HKLM "${SV_UNINSTALL_KEY}"
  DeleteRegKey HKCU "${SV_SETTINGS_KEY}"
  DeleteRegKey /ifempty HKCU "Software\VB and VBA Program Settings"
SectionEnd
