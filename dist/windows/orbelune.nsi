; The Windows installer of Orbelune, built by tools/package-windows.sh with Debian's makensis:
;   makensis -INPUTCHARSET UTF8 -DVERSION=… -DSTAGE=… -DICON=… [-DPANEL=…] -DOUTFILE=…
;            -DSIZE_KB=… -DHOMEPAGE=… -DFILE_LIST=… orbelune.nsi
; STAGE is the folder the zip holds, FILE_LIST the uninstaller's list of exactly those files and
; folders, PANEL the picture beside the welcome and finish pages (24-bit BMP, white ground).
; It installs for the current user, with no administrator rights, into
; %LOCALAPPDATA%\Programs\Orbelune; /S installs, and the uninstaller's /S removes, silently.

Unicode true
; The 64-bit stubs: the program is x64, and a 64-bit installer sees the user's folders and
; registry as the program does.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true
ManifestSupportedOS {8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}

!include "MUI2.nsh"
!include "LogicLib.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Orbelune"

Name "Orbelune ${VERSION}"
OutFile "${OUTFILE}"
BrandingText "Orbelune ${VERSION}"
InstallDir "$LOCALAPPDATA\Programs\Orbelune"
; An installed copy is found again where it is, so that a newer version replaces it in place.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!ifdef PANEL
    !define MUI_WELCOMEFINISHPAGE_BITMAP "${PANEL}"
    ; At its own size: the panel's size follows the dialog font, which differs between
    ; Chinese and English, and a stretched picture would not keep its proportions.
    !define MUI_WELCOMEFINISHPAGE_BITMAP_STRETCH NoStretchNoCrop
!endif
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\orbelune.exe"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\使用说明.txt"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "$(ShowGuide)"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "SimpChinese"
!insertmacro MUI_LANGUAGE "English"

LangString SectionProgram ${LANG_SIMPCHINESE} "Orbelune 程序和开始菜单快捷方式"
LangString SectionProgram ${LANG_ENGLISH} "Orbelune and its Start menu shortcut"
LangString SectionDesktop ${LANG_SIMPCHINESE} "桌面快捷方式"
LangString SectionDesktop ${LANG_ENGLISH} "Desktop shortcut"
LangString ShortcutComment ${LANG_SIMPCHINESE} "双色球选号软件"
LangString ShortcutComment ${LANG_ENGLISH} "Double colour ball ticket suggester"
LangString CloseProgram ${LANG_SIMPCHINESE} "Orbelune 正在运行。请先关闭它，然后单击“重试”。"
LangString CloseProgram ${LANG_ENGLISH} "Orbelune is running. Close it, then click Retry."
LangString ShowGuide ${LANG_SIMPCHINESE} "查看使用说明"
LangString ShowGuide ${LANG_ENGLISH} "Show the guide (使用说明, in Chinese)"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
!macro VERSION_KEYS LANG COMPANY DESCRIPTION COPYRIGHT
    VIAddVersionKey /LANG=${LANG} "ProductName" "Orbelune"
    VIAddVersionKey /LANG=${LANG} "CompanyName" "${COMPANY}"
    VIAddVersionKey /LANG=${LANG} "FileDescription" "${DESCRIPTION}"
    VIAddVersionKey /LANG=${LANG} "LegalCopyright" "${COPYRIGHT}"
    VIAddVersionKey /LANG=${LANG} "FileVersion" "${VERSION}"
    VIAddVersionKey /LANG=${LANG} "ProductVersion" "${VERSION}"
!macroend
!insertmacro VERSION_KEYS ${LANG_SIMPCHINESE} "奎尔马克" "Orbelune 安装程序" "版权所有 (C) 2008 奎尔马克"
!insertmacro VERSION_KEYS ${LANG_ENGLISH} "Quellmark" "Orbelune Setup" "Copyright (C) 2008 Quellmark"

; Chinese on a Chinese Windows (of any region: the program's own texts are Simplified Chinese),
; English everywhere else.
!macro CHOOSE_LANGUAGE
    System::Call 'kernel32::GetUserDefaultUILanguage() i .r0'
    IntOp $0 $0 & 0x3FF
    ${If} $0 = 0x04
        StrCpy $LANGUAGE ${LANG_SIMPCHINESE}
    ${Else}
        StrCpy $LANGUAGE ${LANG_ENGLISH}
    ${EndIf}
!macroend

; Windows lets no one write to the program of a running Orbelune: replacing or removing the
; files under it would stop half-way, with a mix of two versions or half a folder left. So the
; user is asked to close it first; a silent run ends with an error instead.
!macro WAIT_FOR_CLOSED FOLDER
    ${Do}
        ${IfNot} ${FileExists} "${FOLDER}\orbelune.exe"
            ${Break}
        ${EndIf}
        ClearErrors
        FileOpen $9 "${FOLDER}\orbelune.exe" a
        ${IfNot} ${Errors}
            FileClose $9
            ${Break}
        ${EndIf}
        ${If} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(CloseProgram)" /SD IDCANCEL IDCANCEL`
            Abort
        ${EndIf}
    ${Loop}
!macroend

Function .onInit
    !insertmacro CHOOSE_LANGUAGE
FunctionEnd

Function un.onInit
    !insertmacro CHOOSE_LANGUAGE
    !insertmacro WAIT_FOR_CLOSED "$INSTDIR"
FunctionEnd

Section "$(SectionProgram)"
    SectionIn RO
    ; An older version is removed by its own uninstaller first, which knows its own files: none
    ; of them is left behind, and nothing a user saved in the folder is touched. Run in place
    ; (_?=), it waits for the work to finish and leaves only itself, replaced below.
    ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
    !insertmacro WAIT_FOR_CLOSED "$0"
    !insertmacro WAIT_FOR_CLOSED "$INSTDIR"
    ${If} $0 != ""
    ${AndIf} ${FileExists} "$0\uninstall.exe"
        ExecWait '"$0\uninstall.exe" /S _?=$0'
        Delete "$0\uninstall.exe"
        RMDir "$0"
    ${EndIf}

    SetOutPath "$INSTDIR"
    File /r "${STAGE}/*"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortCut "$SMPROGRAMS\Orbelune.lnk" "$INSTDIR\orbelune.exe" "" \
        "$INSTDIR\orbelune.exe" 0 SW_SHOWNORMAL "" "$(ShortcutComment)"

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Orbelune"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "奎尔马克 Quellmark"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\orbelune.exe,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "URLInfoAbout" "${HOMEPAGE}"
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "$(SectionDesktop)"
    CreateShortCut "$DESKTOP\Orbelune.lnk" "$INSTDIR\orbelune.exe" "" \
        "$INSTDIR\orbelune.exe" 0 SW_SHOWNORMAL "" "$(ShortcutComment)"
SectionEnd

; Exactly what the installer made, file by file: never a folder's whole content, so a result
; the user saved in the install folder stays, and so does the folder that holds it.
Section "Uninstall"
    !include /CHARSET=UTF8 "${FILE_LIST}"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    ; The per-user counterpart of Program Files holds nothing but programs' folders, and is made
    ; by the first installer that needs it; left empty, it goes as well. So does the Uninstall
    ; key that held only this program's entry.
    RMDir "$LOCALAPPDATA\Programs"
    Delete "$SMPROGRAMS\Orbelune.lnk"
    Delete "$DESKTOP\Orbelune.lnk"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
    DeleteRegKey /ifempty HKCU "Software\Microsoft\Windows\CurrentVersion\Uninstall"
SectionEnd
