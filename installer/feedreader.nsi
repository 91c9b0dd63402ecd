; Setup program of the feed reader: the explorer bar with its feed engine,
; page and style sheets under Program Files, the toolbar button in the host
; toolbar's plug-in folder. Built from the i686 tree:
;   makensis -DBUILD_DIR=<i686 build tree> -DOUT_FILE=<setup.exe> feedreader.nsi
; The test suite also builds it from the x86_64 tree with
; -DTARGET=amd64-unicode, to run the same script under a 64-bit Wine.
Unicode true
!ifdef TARGET
  Target ${TARGET}
!endif
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!ifndef BUILD_DIR
  !error "BUILD_DIR must name the i686 build tree"
!endif
!ifndef OUT_FILE
  !define OUT_FILE "feedreader-setup.exe"
!endif

!define PRODUCT "RSS订阅"
!define VERSION "1.0.0.1"
!include "LogicLib.nsh"
!include "WinVer.nsh"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\FeedReader"

Name "${PRODUCT}"
OutFile "${OUT_FILE}"
InstallDir "$PROGRAMFILES\FeedReader"
ShowInstDetails show

VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${PRODUCT} 安装程序"

; The folder the host toolbar loads its plug-ins from, under its data root:
; the user's application data, or on Vista and later its LocalLow sibling,
; the one place a protected-mode browser may write.
Var PluginDir
!macro FindPluginDir
  ${If} ${AtLeastWinVista}
    GetFullPathName $PluginDir "$APPDATA\..\LocalLow"
    StrCpy $PluginDir "$PluginDir\OMBERLY\PembaToolbar\plugins"
  ${Else}
    StrCpy $PluginDir "$APPDATA\OMBERLY\PembaToolbar\plugins"
  ${EndIf}
!macroend
Function .onInit
  !insertmacro FindPluginDir
FunctionEnd
Function un.onInit
  !insertmacro FindPluginDir
FunctionEnd

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Install"
  ; The band's page and style sheets are found beside rssband.dll, and the
  ; band starts Feed.dll from there too: the engine as shipped, not the
  ; build beside rssband.dll in the build tree, which the tests steer.
  SetOutPath "$INSTDIR"
  File "${BUILD_DIR}\band\rssband.dll"
  File "${BUILD_DIR}\engine\Feed.dll"
  File "${BUILD_DIR}\band\rss.htm"
  SetOutPath "$INSTDIR\css"
  File "${BUILD_DIR}\band\css\*.*"

  SetOutPath "$PluginDir"
  File "${BUILD_DIR}\button\rssbutton.dll"

  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  ; regsvr32 reports failure through its exit code; /s keeps it silent.
  ExecWait '"$SYSDIR\regsvr32.exe" /s "$INSTDIR\rssband.dll"' $0
  StrCmp $0 "0" registered
    DetailPrint "rssband.dll registration failed: $0"
    SetErrorLevel 3
  registered:

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "PluginFolder" "$PluginDir"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  ; Unregister before the DLL goes, while its removal code is still there.
  ExecWait '"$SYSDIR\regsvr32.exe" /s /u "$INSTDIR\rssband.dll"'
  Delete "$INSTDIR\rssband.dll"
  Delete "$INSTDIR\Feed.dll"
  Delete "$INSTDIR\rss.htm"
  RMDir /r "$INSTDIR\css"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "PluginFolder"
  StrCmp $1 "" 0 +2
    StrCpy $1 "$PluginDir"
  Delete "$1\rssbutton.dll"
  ; Other plug-ins may share the folder: only an empty one goes.
  RMDir "$1"

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
