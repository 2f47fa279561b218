; The setup program: installs the files of the release package for all users, runs the
; program's own "install" step (shortcuts, install month, uninstall entry) and starts the tray
; agent. "/S" installs without a window, "/D=folder" (last on the command line) picks the folder.
; Over an installed copy it closes the agent, replaces the files and starts the agent again; the
; user's settings and data folder are never touched.
;
; The uninstaller keeps the user's settings, decisions and log; its interactive run asks, and
; "/PURGE" removes them without asking.
;
; Defined by packaging/make_setup.cmake: STAGE (the package's files), OUTFILE, VERSION
; (major.minor), VERSION_QUAD, VERSION_TEXT (as the program shows it), MAJOR, LICENSE, ICON,
; FILE_LIST (the Delete and RMDir lines of the uninstaller for exactly the staged files).

Unicode true
; 64-bit: the program is, and Wine prefixes for it may have no 32-bit support.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "WinMessages.nsh"
!include "FileFunc.nsh"

!define PRODUCT "Vantorel"
!define PUBLISHER "Vantorel developers"
; The program's own install step writes this entry, so Programs and Features shows one.
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT} ${MAJOR}"
!define AGENT_CAPTION "${PRODUCT} tray agent"
; The access rights that let the setup program wait for a process to end (SYNCHRONIZE) and end
; it (PROCESS_TERMINATE).
!define PROCESS_WAIT_AND_END 0x00100001
!define INSTALL_WORD "setupinstall"
!define UNINSTALL_WORD "setupuninstall"
!define DEFAULT_FOLDER "$PROGRAMFILES64\${PRODUCT}"
; The user's data and settings, as the program names them; only removed when asked.
!define DATA_FOLDER "$APPDATA\VTRL${MAJOR}"
!define SETTINGS_KEY "Software\VB and VBA Program Settings\VTRL"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "${DEFAULT_FOLDER}"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION_QUAD}"
VIFileVersion "${VERSION_QUAD}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Copyright (c) 2026 ${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Asks the tray agent to close by its window caption, as the program itself does, and waits
; until its process has ended and the executable can be written again: a window that is gone
; may belong to a process still ending, whose file Windows lets no one delete or replace.
!macro CLOSE_AGENT UN
Function ${UN}CloseAgent
    Push $0
    Push $1
    Push $2
    StrCpy $1 0
    ${Do}
        FindWindow $0 "" "${AGENT_CAPTION}"
        ${If} $0 == 0
            ${ExitDo}
        ${EndIf}
        StrCpy $2 0
        System::Call "user32::GetWindowThreadProcessId(p r0, *i .r2) i"
        System::Call "kernel32::OpenProcess(i ${PROCESS_WAIT_AND_END}, i 0, i r2) p .r2"
        SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=2000
        ${If} $2 != 0
            ; An agent that has not ended ten seconds after it was asked is ended: its data files
            ; are only ever replaced whole, so that an end at any moment loses nothing.
            System::Call "kernel32::WaitForSingleObject(p r2, i 10000) i .r0"
            ${If} $0 != 0
                System::Call "kernel32::TerminateProcess(p r2, i 1) i"
                System::Call "kernel32::WaitForSingleObject(p r2, i 5000) i"
            ${EndIf}
            System::Call "kernel32::CloseHandle(p r2) i"
        ${Else}
            Sleep 100
        ${EndIf}
        IntOp $1 $1 + 1
    ${LoopUntil} $1 >= 100
    ${If} ${FileExists} "$INSTDIR\vantorel.exe"
        ${Do}
            ClearErrors
            FileOpen $0 "$INSTDIR\vantorel.exe" a
            ${IfNot} ${Errors}
                FileClose $0
                ${ExitDo}
            ${EndIf}
            Sleep 100
            IntOp $1 $1 + 1
        ${LoopUntil} $1 >= 200
    ${EndIf}
    Pop $2
    Pop $1
    Pop $0
FunctionEnd
!macroend
!insertmacro CLOSE_AGENT ""
!insertmacro CLOSE_AGENT "un."

Function .onInit
    SetRegView 64
    ; An upgrade goes where the installed copy is, unless /D= names another folder.
    ${If} $INSTDIR == "${DEFAULT_FOLDER}"
        ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
        ${If} $0 != ""
            StrCpy $INSTDIR $0
        ${EndIf}
    ${EndIf}
FunctionEnd

Section "Install"
    SetShellVarContext all
    Call CloseAgent
    SetOutPath "$INSTDIR"
    File /r "${STAGE}\*.*"
    WriteUninstaller "$INSTDIR\Uninstall.exe"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} ${VERSION_TEXT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    ; Not in the folder it installs: a working folder there keeps it from being removed.
    SetOutPath "$TEMP"
    ; Silent, the same steps without the program's update question: no one may be there.
    StrCpy $1 "install"
    ${If} ${Silent}
        StrCpy $1 "${INSTALL_WORD}"
    ${EndIf}
    ClearErrors
    ExecWait '"$INSTDIR\vantorel.exe" $1' $0
    ${If} ${Errors}
        ; No shortcuts and no agent: a setup that says it succeeded would be wrong.
        SetErrorLevel 2
        Abort "$INSTDIR\vantorel.exe could not be started."
    ${ElseIf} $0 != 0
        DetailPrint "vantorel.exe install ended with $0"
    ${EndIf}
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\vantorel.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1

    Exec '"$INSTDIR\vantorel.exe" startup'
SectionEnd

Function un.onInit
    SetRegView 64
FunctionEnd

Var KeepData

Section "Uninstall"
    StrCpy $KeepData 1
    ${un.GetParameters} $0
    ClearErrors
    ${un.GetOptions} $0 "/PURGE" $1
    ${IfNot} ${Errors}
        StrCpy $KeepData 0
    ${ElseIf} ${Cmd} `MessageBox MB_YESNO|MB_ICONQUESTION "Keep your ${PRODUCT} settings, decisions and log for a later installation? Choose No to remove them." /SD IDYES IDNO`
        StrCpy $KeepData 0
    ${EndIf}

    SetShellVarContext all
    SetOutPath "$TEMP"
    ; The program's own steps, without questions: the shortcuts, the program group, the tray
    ; agent and the uninstall entry go.
    ; The agent first, so that its end is awaited; the program's step then finds none to close.
    Call un.CloseAgent
    ${If} ${FileExists} "$INSTDIR\vantorel.exe"
        ExecWait '"$INSTDIR\vantorel.exe" ${UNINSTALL_WORD}'
    ${EndIf}
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    ${If} $KeepData == 0
        SetShellVarContext current
        ; An unresolved folder would leave a path that names something else.
        ${If} $APPDATA != ""
            RMDir /r "${DATA_FOLDER}"
        ${EndIf}
        DeleteRegKey HKCU "${SETTINGS_KEY}"
    ${EndIf}

    ; Any of the program's processes still ending (the agent, a notice it had just started)
    ; keeps the program's file from being deleted: it is tried again for up to fifteen seconds.
    StrCpy $0 0
    ${DoWhile} ${FileExists} "$INSTDIR\vantorel.exe"
        Delete "$INSTDIR\vantorel.exe"
        ${If} ${FileExists} "$INSTDIR\vantorel.exe"
            Sleep 100
        ${EndIf}
        IntOp $0 $0 + 1
        ${If} $0 >= 150
            ${ExitDo}
        ${EndIf}
    ${Loop}
    ; Only the files this setup program installed: the folder may have been chosen with /D=.
    ; The uninstaller and the folder go last, so that their absence tells that all is done.
    !include "${FILE_LIST}"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"
SectionEnd
