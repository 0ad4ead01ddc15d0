; Setup program of Kelvorin. Built by installer/CMakeLists.txt, which passes:
;   VERSION (3.0), VERSION_QUAD (3.0.0.0), FILES (folder with kelvorin.exe, readme.txt and
;   LICENSE.txt as shipped), ICON (the program's icon), OUTFILE.
; The script is UTF-8: makensis -INPUTCHARSET UTF8.

Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh

!define PRODUCT "Kelvorin"
!define PUBLISHER "the Kelvorin authors"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kelvorin"
; The program's single-instance mutex: while it is held the exe cannot be replaced.
!define RUNNING_MUTEX "QuorvantaForWin32"
!define LOG_KEPT "连接记录（系统目录中的 corvantile.ini）会保留，不会被删除。"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
; A 32-bit program: $PROGRAMFILES is Program Files (x86) on 64-bit Windows.
InstallDir "$PROGRAMFILES\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION_QUAD}"
VIFileVersion "${VERSION_QUAD}"
VIAddVersionKey /LANG=2052 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=2052 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "FileDescription" "${PRODUCT} 安装程序"
VIAddVersionKey /LANG=2052 "LegalCopyright" "Copyright (c) 2026 ${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${FILES}\LICENSE.txt"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
; No "run now": started from this elevated process the program would write its log outside the
; user's virtual store, where later, ordinary starts would not keep it.
!insertmacro MUI_PAGE_FINISH

!define MUI_UNCONFIRMPAGE_TEXT_TOP "将从你的计算机中卸载 ${PRODUCT}。${LOG_KEPT}"
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!define MUI_FINISHPAGE_TEXT "${PRODUCT} 已从你的计算机中卸载。$\r$\n$\r$\n${LOG_KEPT}"
!insertmacro MUI_UNPAGE_FINISH

!insertmacro MUI_LANGUAGE "SimpChinese"

; Ends the setup or uninstall with exit code 2 while the program runs.
!macro RefuseWhileRunning WHAT
    System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${RUNNING_MUTEX}") p .r0'
    ${If} $0 P<> 0
        System::Call 'kernel32::CloseHandle(p r0)'
        MessageBox MB_OK|MB_ICONEXCLAMATION "${PRODUCT} 正在运行。请先退出它，然后再${WHAT}。" /SD IDOK
        SetErrorLevel 2
        Quit
    ${EndIf}
!macroend

Function .onInit
    SetShellVarContext all
    !insertmacro RefuseWhileRunning "安装"
FunctionEnd

Function un.onInit
    SetShellVarContext all
    !insertmacro RefuseWhileRunning "卸载"
FunctionEnd

Section "${PRODUCT}（必需）" SecProgram
    SectionIn RO
    SetOutPath "$INSTDIR"
    File "${FILES}\kelvorin.exe"
    File "${FILES}\readme.txt"
    File "${FILES}\LICENSE.txt"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\kelvorin.exe"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\kelvorin.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "桌面快捷方式" SecDesktop
    CreateShortcut "$DESKTOP\${PRODUCT}.lnk" "$INSTDIR\kelvorin.exe"
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
    !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} "程序本身、说明和许可证，以及开始菜单中的快捷方式。"
    !insertmacro MUI_DESCRIPTION_TEXT ${SecDesktop} "在桌面上放一个 ${PRODUCT} 的快捷方式。"
!insertmacro MUI_FUNCTION_DESCRIPTION_END

; Removes exactly what the setup put down; files of others in the folder keep it. The folder
; goes last, so that its absence means the uninstall is done.
Section "Uninstall"
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"
    Delete "$DESKTOP\${PRODUCT}.lnk"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    Delete "$INSTDIR\readme.txt"
    Delete "$INSTDIR\LICENSE.txt"
    Delete "$INSTDIR\uninstall.exe"
    Delete "$INSTDIR\kelvorin.exe"
    RMDir "$INSTDIR"
    DetailPrint "${LOG_KEPT}"
SectionEnd
