; Qeto-Desk for Windows: a per-user installer (no administrator rights) of the deployed folder.
;   makensis -DVERSION=1.0.0 -DSRCDIR=<deploy/Qeto-Desk> -DFILES_NSH=<files.nsh> -DICON=<ico>
;            -DOUTFILE=<setup.exe> qeto-desk.nsi
; The client writes its day logs and crash dumps in its working directory, so its shortcuts start
; it in %LOCALAPPDATA%\Qeto-Desk, never in the program folder; the uninstaller leaves that folder.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!ifndef VERSION | SRCDIR | FILES_NSH | ICON | OUTFILE
  !error "VERSION, SRCDIR, FILES_NSH, ICON and OUTFILE must be defined"
!endif
!include "${FILES_NSH}"
!include "MUI2.nsh"
!include "x64.nsh"

!define APP "Qeto-Desk"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${APP}"
!define DATA_DIR "$LOCALAPPDATA\${APP}"

Name "${APP} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${APP}"
InstallDirRegKey HKCU "${UNINST_KEY}" "InstallLocation"
BrandingText "${APP} ${VERSION}"
VIProductVersion "0.0.0.0"
VIAddVersionKey /LANG=0 "ProductName" "${APP}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileDescription" "${APP} installer"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "LegalCopyright" "Qeto-Desk"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"
!insertmacro MUI_LANGUAGE "English"

Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_ICONSTOP "${APP} needs 64-bit Windows." /SD IDOK
    Abort
  ${EndIf}
  SetShellVarContext current
FunctionEnd

Function un.onInit
  SetShellVarContext current
FunctionEnd

Section "${APP}" SecCore
  SectionIn RO
  SetOutPath "$INSTDIR"
  !insertmacro QetoCoreFiles
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "${DATA_DIR}"
  CreateDirectory "$SMPROGRAMS\${APP}"
  ; The working directory of a shortcut is the output path when it is created.
  SetOutPath "${DATA_DIR}"
  CreateShortcut "$SMPROGRAMS\${APP}\${APP}.lnk" "$INSTDIR\Qeto-Desk.exe" "" "$INSTDIR\Qeto-Desk.exe" 0
  CreateShortcut "$SMPROGRAMS\${APP}\Uninstall ${APP}.lnk" "$INSTDIR\uninstall.exe"
  SetOutPath "$INSTDIR"

  WriteRegStr HKCU "${UNINST_KEY}" "DisplayName" "${APP}"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINST_KEY}" "Publisher" "Qeto-Desk"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\Qeto-Desk.exe,0"
  WriteRegStr HKCU "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINST_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoRepair" 1
SectionEnd

Section "Desktop shortcut" SecDesktop
  SetOutPath "${DATA_DIR}"
  CreateShortcut "$DESKTOP\${APP}.lnk" "$INSTDIR\Qeto-Desk.exe" "" "$INSTDIR\Qeto-Desk.exe" 0
  SetOutPath "$INSTDIR"
SectionEnd

; A counter and market-data server on this machine, on the ports the installed config/ names.
; Security names in the local 8-bit encoding of a Chinese Windows.
Section "Simulator" SecSim
  SetOutPath "$INSTDIR"
  !insertmacro QetoSimFiles
  SetOutPath "${DATA_DIR}"
  CreateShortcut "$SMPROGRAMS\${APP}\${APP} Simulator.lnk" "$INSTDIR\qeto-sim.exe" \
    "--md-encoding gbk --text-encoding gbk" "$INSTDIR\Qeto-Desk.exe" 0
  SetOutPath "$INSTDIR"
SectionEnd

LangString DESC_Core ${LANG_SIMPCHINESE} "交易客户端"
LangString DESC_Core ${LANG_ENGLISH} "The trading client"
LangString DESC_Desktop ${LANG_SIMPCHINESE} "桌面快捷方式"
LangString DESC_Desktop ${LANG_ENGLISH} "A shortcut on the desktop"
LangString DESC_Sim ${LANG_SIMPCHINESE} "模拟柜台与行情服务器 (qeto-sim)"
LangString DESC_Sim ${LANG_ENGLISH} "A simulated counter and market-data server (qeto-sim)"
!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecCore} $(DESC_Core)
  !insertmacro MUI_DESCRIPTION_TEXT ${SecDesktop} $(DESC_Desktop)
  !insertmacro MUI_DESCRIPTION_TEXT ${SecSim} $(DESC_Sim)
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Section "Uninstall"
  Delete "$DESKTOP\${APP}.lnk"
  Delete "$SMPROGRAMS\${APP}\${APP}.lnk"
  Delete "$SMPROGRAMS\${APP}\${APP} Simulator.lnk"
  Delete "$SMPROGRAMS\${APP}\Uninstall ${APP}.lnk"
  RMDir "$SMPROGRAMS\${APP}"
  !insertmacro QetoRemoveFiles
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINST_KEY}"
SectionEnd
