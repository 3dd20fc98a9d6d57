; Vorlane's installer and uninstaller.
;
;   makensis -V2 -DVERSION=2.52 -DVERSION_NUMBERS=2.5.2.0 -DSTAGE_DIR=/abs/stage \
;            -DOUT_FILE=/abs/Vorlane-2.52-setup.exe packaging/vorlane.nsi
;
; STAGE_DIR holds i686/ and x86_64/, each with Vorlane.exe, config.exe,
; Shellix.dll, Vorlane.html, LICENSE.txt and README.txt of that bitness, and
; Vorlane.ico, the launcher's own icon, for the setup program and the
; uninstaller.
;
; Silently (/S) it installs without starting the launcher; /START starts it
; as the "Start Vorlane now" box does. The log-on box keeps, on an update,
; what the installation had.
;
; Everything is per user and needs no administrator: the programs keep
; vorlane.ini beside themselves and must be able to write it, which a folder
; under Program Files would not allow.

Unicode true

!macro REQUIRE_DEFINE NAME
  !ifndef ${NAME}
    !error "Give -D${NAME}= (see the top of this file)"
  !endif
!macroend
!insertmacro REQUIRE_DEFINE VERSION
!insertmacro REQUIRE_DEFINE VERSION_NUMBERS
!insertmacro REQUIRE_DEFINE STAGE_DIR
!insertmacro REQUIRE_DEFINE OUT_FILE

!include MUI2.nsh
!include LogicLib.nsh
!include Sections.nsh
!include WinMessages.nsh
!include FileFunc.nsh
!include x64.nsh

!define PRODUCT "Vorlane"
!define PUBLISHER "The Vorlane developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vorlane"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "Vorlane"
; The launcher's window class; programs of every version rely on it.
!define LAUNCHER_CLASS "Vorlane"
; config.exe shows one dialog box per run, and message boxes over it.
!define DIALOG_CLASS "#32770"
!define SHELLIX_CLSID "{8D775404-DD7B-11D3-BC49-906B51C10000}"
!define SETTINGS_FILE "vorlane.ini"
; How long a program asked to close may take before the user is told.
!define PROGRAM_END_MS 10000
; PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE: the image's path, and a
; wait for the end.
!define PROCESS_QUERY_AND_WAIT 0x00101000
!define MOVEFILE_DELAY_UNTIL_REBOOT 4
!define RUN_ONCE_KEY "Software\Microsoft\Windows\CurrentVersion\RunOnce"
; Removes at the next log-on what the uninstaller could not remove.
!define LEFTOVERS_VALUE "Vorlane leftovers"

Name "${PRODUCT}"
OutFile "${OUT_FILE}"
RequestExecutionLevel user
; Sharp text at every display scale; the pages are laid out in dialog units.
ManifestDPIAware true
BrandingText "${PRODUCT} ${VERSION}"
InstallDir "$LOCALAPPDATA\Programs\Vorlane"
; An update goes where the user put the earlier version.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
SetCompressor /SOLID lzma
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION_NUMBERS}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PUBLISHER}"

; How the pages name the set this system gets.
Var FlavourText

; The programs being ended: the full path of their file, the class of the
; windows they are asked to close through, and what the user is told when
; one stays.
Var Program
Var ProgramClass
Var StillRunning
Var Window
Var Process
Var ProcessId
Var Asked

; Set by WalkRunValues: whether a Run value starts this installation's
; launcher; with RunDelete 1 such values are deleted too.
Var RunFound
Var RunDelete

; What the uninstaller could not remove at once: how many entries of the
; folder wait, how they go ("restart" or "logon"), and the quoted names
; that a log-on command deletes.
Var HeldCount
Var LaterMode
Var LogOnFiles
Var UnFinishText

!define MUI_WELCOMEPAGE_TEXT "Setup will install ${PRODUCT} ${VERSION} for you \
alone; it needs no administrator rights.$\r$\n$\r$\nA ${PRODUCT} running from \
the folder you choose, and its configurator, are closed while their files are \
replaced. Your menus and options are kept.$\r$\n$\r$\nClick Next to continue."
!define MUI_ICON "${STAGE_DIR}/Vorlane.ico"
!define MUI_UNICON "${STAGE_DIR}/Vorlane.ico"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_TEXT "${PRODUCT} ${VERSION} is installed in $INSTDIR, \
with the $FlavourText.$\r$\n$\r$\nIts icon is in the notification area \
while it runs; the Start menu starts it again."

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${STAGE_DIR}/x86_64/LICENSE.txt"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!define MUI_COMPONENTSPAGE_TEXT_TOP "Your menus and options are kept in \
${SETTINGS_FILE} unless you tick its removal."
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
!define MUI_FINISHPAGE_TEXT "$UnFinishText"
; Nothing of the user's work should be lost to a restart they did not ask
; for: later is the default.
!define MUI_FINISHPAGE_REBOOTLATER_DEFAULT
!define MUI_FINISHPAGE_TEXT_REBOOT "${PRODUCT} has been removed. Explorer \
still holds a part of it in $INSTDIR, which is deleted when Windows \
restarts.$\r$\n$\r$\nRestart now?"
!insertmacro MUI_UNPAGE_FINISH

!insertmacro MUI_LANGUAGE "English"

; --- Shared by the installer and the uninstaller ---------------------------

; Looks at the value "Vorlane" under one root in one registry view.
!macro RUN_VALUE_IN UN ROOT VIEW
  SetRegView ${VIEW}
  ReadRegStr $0 ${ROOT} "${RUN_KEY}" "${RUN_VALUE}"
  ${If} $0 != ""
    Push $0
    Call ${UN}NamesThisLauncher
    Pop $0
    ${If} $0 == 1
      StrCpy $RunFound 1
      ${If} $RunDelete == 1
        ClearErrors
        DeleteRegValue ${ROOT} "${RUN_KEY}" "${RUN_VALUE}"
        ${If} ${Errors}
          DetailPrint "The Run value ${RUN_VALUE} under ${ROOT} stays: only an administrator can remove it"
        ${EndIf}
      ${EndIf}
    ${EndIf}
  ${EndIf}
!macroend

!macro DEFINE_SHARED UN

; $Program in its long form where the file exists: a path given in 8.3 form
; names the same file.
Function ${UN}LongProgramPath
  Push $0
  Push $1
  System::Call 'kernel32::GetLongPathNameW(w "$Program", w .r0, i ${NSIS_MAX_STRLEN}) i .r1'
  ${If} $1 > 0
  ${AndIf} $1 < ${NSIS_MAX_STRLEN}
    StrCpy $Program $0
  ${EndIf}
  Pop $1
  Pop $0
FunctionEnd

; $Process: a handle to wait on when the process of $Window runs $Program,
; else 0; $ProcessId its id. Windows of the class from other folders, such
; as a portable copy's, are not this installation's to end.
Function ${UN}ProcessOfWindow
  Push $0
  Push $1
  Push $2
  Push $3
  StrCpy $Process 0
  System::Call 'user32::GetWindowThreadProcessId(p $Window, *i .r0)'
  StrCpy $ProcessId $0
  System::Call 'kernel32::OpenProcess(i ${PROCESS_QUERY_AND_WAIT}, i 0, i r0) p .r1'
  ${If} $1 P<> 0
    System::Call 'kernel32::QueryFullProcessImageNameW(p r1, i 0, w .r0, *i ${NSIS_MAX_STRLEN}) i .r2'
    ${If} $2 <> 0
      System::Call 'kernel32::GetLongPathNameW(w r0, w .r3, i ${NSIS_MAX_STRLEN}) i .r2'
      ${If} $2 > 0
      ${AndIf} $2 < ${NSIS_MAX_STRLEN}
        StrCpy $0 $3
      ${EndIf}
      ; Paths compare without regard to case.
      ${If} $0 == $Program
        StrCpy $Process $1
      ${EndIf}
    ${EndIf}
    ${If} $Process P= 0
      System::Call 'kernel32::CloseHandle(p r1)'
    ${EndIf}
  ${EndIf}
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; $Window: a window of $ProgramClass of process $ProcessId other than the
; one last asked to close, else 0.
Function ${UN}NextWindowOfProcess
  Push $0
  StrCpy $Window 0
  ${Do}
    FindWindow $Window "$ProgramClass" "" 0 $Window
    ${If} $Window = 0
      ${Break}
    ${EndIf}
    ${If} $Window <> $Asked
      System::Call 'user32::GetWindowThreadProcessId(p $Window, *i .r0)'
      ${If} $0 = $ProcessId
        ${Break}
      ${EndIf}
    ${EndIf}
  ${Loop}
  Pop $0
FunctionEnd

; Ends every process running $Program that shows a window of $ProgramClass,
; closing its windows as a person would, and waits for each process, which
; holds its file until it is gone. A window may sit over another of the
; same program (a message box over a dialog): each is closed in turn. A
; program that does not end in time is the user's to close.
Function ${UN}EndProgram
  Push $0
  Push $1
  Call ${UN}LongProgramPath
  again:
  StrCpy $Window 0
  ${Do}
    FindWindow $Window "$ProgramClass" "" 0 $Window
    ${If} $Window = 0
      ${Break}
    ${EndIf}
    Call ${UN}ProcessOfWindow
    ${If} $Process P<> 0
      DetailPrint "Ending $Program"
      StrCpy $Asked 0
      StrCpy $1 0
      ${Do}
        ; WAIT_OBJECT_0 is 0.
        System::Call 'kernel32::WaitForSingleObject(p $Process, i 0) i .r0'
        ${If} $0 = 0
        ${OrIf} $1 >= ${PROGRAM_END_MS}
          ${Break}
        ${EndIf}
        Call ${UN}NextWindowOfProcess
        ${If} $Window <> 0
          ; A program that hangs must not hang the installer with it.
          SendMessage $Window ${WM_CLOSE} 0 0 /TIMEOUT=${PROGRAM_END_MS}
          StrCpy $Asked $Window
        ${EndIf}
        Sleep 100
        IntOp $1 $1 + 100
      ${Loop}
      System::Call 'kernel32::CloseHandle(p $Process)'
      ${If} $0 <> 0
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$StillRunning" /SD IDCANCEL IDRETRY again
        Abort "$StillRunning"
      ${EndIf}
      ; The windows changed: the walk starts again.
      StrCpy $Window 0
    ${EndIf}
  ${Loop}
  Pop $1
  Pop $0
FunctionEnd

; The configurator first: it may be saving into the settings file. Its
; file and the launcher's are replaced or deleted next.
Function ${UN}EndRunningPrograms
  StrCpy $Program "$INSTDIR\config.exe"
  StrCpy $ProgramClass "${DIALOG_CLASS}"
  StrCpy $StillRunning "The ${PRODUCT} configurator is still open. Close it, then choose Retry."
  Call ${UN}EndProgram
  StrCpy $Program "$INSTDIR\Vorlane.exe"
  StrCpy $ProgramClass "${LAUNCHER_CLASS}"
  StrCpy $StillRunning "${PRODUCT} is still running. End it from its tray menu, then choose Retry."
  Call ${UN}EndProgram
FunctionEnd

; Pushes 1 when the Run value's text (on the stack) starts this
; installation's launcher, quoted or not, with or without arguments, else
; 0. The comparison ignores case, as paths do.
Function ${UN}NamesThisLauncher
  Exch $0
  Push $1
  Push $2
  StrCpy $1 "$INSTDIR\Vorlane.exe"
  ${If} $0 == $1
  ${OrIf} $0 == '"$1"'
    StrCpy $0 1
  ${Else}
    StrLen $2 '"$1" '
    StrCpy $2 $0 $2
    ${If} $2 == '"$1" '
      StrCpy $0 1
    ${Else}
      StrLen $2 '$1 '
      StrCpy $2 $0 $2
      ${If} $2 == '$1 '
        StrCpy $0 1
      ${Else}
        StrCpy $0 0
      ${EndIf}
    ${EndIf}
  ${EndIf}
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; The configurator writes the machine's Run value where it may and the
; user's otherwise, in the registry view of its own bitness, bare or
; quoted; this installer writes the user's, quoted. A value that starts
; another copy of the launcher belongs to that copy.
Function ${UN}WalkRunValues
  Push $0
  StrCpy $RunFound 0
  ${If} ${RunningX64}
    !insertmacro RUN_VALUE_IN "${UN}" HKCU 64
    !insertmacro RUN_VALUE_IN "${UN}" HKCU 32
    !insertmacro RUN_VALUE_IN "${UN}" HKLM 64
    !insertmacro RUN_VALUE_IN "${UN}" HKLM 32
  ${Else}
    !insertmacro RUN_VALUE_IN "${UN}" HKCU default
    !insertmacro RUN_VALUE_IN "${UN}" HKLM default
  ${EndIf}
  SetRegView default
  Pop $0
FunctionEnd

!macroend
!insertmacro DEFINE_SHARED ""
!insertmacro DEFINE_SHARED "un."

; --- Installer -------------------------------------------------------------

!macro INSTALL_SET SET
  ; In silent mode a file that cannot be written is skipped, not retried:
  ; an installation missing a program must not end as a success.
  ClearErrors
  File "${STAGE_DIR}/${SET}/Vorlane.exe"
  File "${STAGE_DIR}/${SET}/config.exe"
  File "${STAGE_DIR}/${SET}/Shellix.dll"
  File "${STAGE_DIR}/${SET}/Vorlane.html"
  File "${STAGE_DIR}/${SET}/LICENSE.txt"
  File "${STAGE_DIR}/${SET}/README.txt"
  ${If} ${Errors}
    Abort "Some of ${PRODUCT}'s files could not be written to $INSTDIR."
  ${EndIf}
!macroend

; Explorer keeps a registered extension loaded, and a loaded library can be
; renamed but not overwritten: the old one steps aside for the new.
Function MoveAsideLoadedExtension
  IfFileExists "$INSTDIR\Shellix.dll" 0 done
  ClearErrors
  Delete "$INSTDIR\Shellix.dll"
  IfErrors 0 done
  Delete "$INSTDIR\Shellix.dll.old"
  Rename "$INSTDIR\Shellix.dll" "$INSTDIR\Shellix.dll.old"
  DetailPrint "Shellix.dll is in use; the new one takes its place at the next log-on"
  done:
FunctionEnd

Section "${PRODUCT}" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  Call EndRunningPrograms
  DetailPrint "Installing the $FlavourText of ${PRODUCT} ${VERSION}"
  Call MoveAsideLoadedExtension
SectionEnd

; One section per set, so that the space the pages ask for is that of the
; set this system gets; .onInit leaves the other unselected.
Section "-x86_64" SecSet64
  !insertmacro INSTALL_SET x86_64
SectionEnd

Section "-i686" SecSet32
  !insertmacro INSTALL_SET i686
SectionEnd

Section "-Registration"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\Vorlane.exe" "" \
    "$INSTDIR\Vorlane.exe" 0 SW_SHOWNORMAL "" "${PRODUCT} in the notification area"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Vorlane.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Start ${PRODUCT} when I log on" SecLogOn
SectionEnd

Section "Start ${PRODUCT} now" SecStartNow
SectionEnd

; Both ways of the log-on choice: an unticked box undoes what an earlier
; installation set up. A value the configurator wrote is kept as it is: a
; second one would start the launcher twice.
Section "-Start with Windows"
  ${If} ${SectionIsSelected} ${SecLogOn}
    StrCpy $RunDelete 0
    Call WalkRunValues
    ${If} $RunFound != 1
      WriteRegStr HKCU "${RUN_KEY}" "${RUN_VALUE}" '"$INSTDIR\Vorlane.exe"'
    ${EndIf}
    StrCpy $0 1
  ${Else}
    StrCpy $RunDelete 1
    Call WalkRunValues
    ; A machine's value that stays still starts the launcher.
    StrCpy $RunDelete 0
    Call WalkRunValues
    StrCpy $0 $RunFound
  ${EndIf}
  ; The options page shows this key. A file that does not exist yet is left
  ; to the launcher's first start, which writes every default at once: a
  ; file holding only this key would count as settings already made.
  ${If} ${FileExists} "$INSTDIR\${SETTINGS_FILE}"
    WriteINIStr "$INSTDIR\${SETTINGS_FILE}" "Settings" "Startwithwindows" $0
  ${EndIf}
SectionEnd

Function .onInit
  SetShellVarContext current
  ; 64-bit Explorer loads only a 64-bit extension, so the set follows the
  ; system, not this (32-bit) installer.
  ${If} ${RunningX64}
    StrCpy $FlavourText "64-bit programs (x86_64)"
    !insertmacro UnselectSection ${SecSet32}
  ${Else}
    StrCpy $FlavourText "32-bit programs (i686)"
    !insertmacro UnselectSection ${SecSet64}
  ${EndIf}
  ; An update offers the log-on start as the user left it, in the options
  ; or in an earlier installer; silently it stays so.
  ${If} ${FileExists} "$INSTDIR\Vorlane.exe"
    StrCpy $RunDelete 0
    Call WalkRunValues
    ${If} $RunFound != 1
      !insertmacro UnselectSection ${SecLogOn}
    ${EndIf}
  ${EndIf}
  ; A deployment starts the launcher only when it says so.
  ${If} ${Silent}
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/START" $1
    ${If} ${Errors}
      !insertmacro UnselectSection ${SecStartNow}
    ${EndIf}
  ${EndIf}
FunctionEnd

Function .onInstSuccess
  ${If} ${SectionIsSelected} ${SecStartNow}
    ; Started by this unelevated installer, it runs as the user.
    SetOutPath "$INSTDIR"
    Exec '"$INSTDIR\Vorlane.exe"'
  ${EndIf}
FunctionEnd

; --- Uninstaller -----------------------------------------------------------

Function un.onInit
  SetShellVarContext current
  StrCpy $HeldCount 0
  StrCpy $UnFinishText "${PRODUCT} has been removed from your computer."
FunctionEnd

; Pushes 1 when the extension's class key exists in the view the registry
; is set to, else 0.
Function un.ExtensionRegistered
  Push $0
  StrCpy $0 1
  ClearErrors
  EnumRegKey $1 HKCU "Software\Classes\CLSID\${SHELLIX_CLSID}" 0
  IfErrors 0 done
  ClearErrors
  EnumRegKey $1 HKCR "CLSID\${SHELLIX_CLSID}" 0
  IfErrors 0 done
  StrCpy $0 0
  done:
  Exch $0
FunctionEnd

; The extension is unregistered by its own code, through the regsvr32 of
; its bitness: this 32-bit uninstaller would otherwise be handed the
; 32-bit one, which cannot load the 64-bit library.
Function un.UnregisterExtension
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
  Call un.ExtensionRegistered
  Pop $0
  SetRegView default
  ${If} $0 == 0
  ${OrIfNot} ${FileExists} "$INSTDIR\Shellix.dll"
    Return
  ${EndIf}
  DetailPrint "Removing ${PRODUCT} from Explorer's context menus"
  ${If} ${RunningX64}
    ${DisableX64FSRedirection}
    ExecWait '"$WINDIR\System32\regsvr32.exe" /s /u "$INSTDIR\Shellix.dll"' $1
    ${EnableX64FSRedirection}
  ${Else}
    ExecWait '"$SYSDIR\regsvr32.exe" /s /u "$INSTDIR\Shellix.dll"' $1
  ${EndIf}
  ${If} $1 <> 0
    DetailPrint "regsvr32 /u ended with $1: Explorer may still list ${PRODUCT}"
  ${EndIf}
FunctionEnd

; Removes the entry (a name in $INSTDIR, on the stack) at the next restart
; or, where that needs an administrator, at the user's next log-on.
Function un.RemoveLater
  Exch $0
  Push $1
  IntOp $HeldCount $HeldCount + 1
  ${If} $LaterMode != "logon"
    System::Call 'kernel32::MoveFileExW(w "$INSTDIR\$0", p 0, i ${MOVEFILE_DELAY_UNTIL_REBOOT}) i .r1'
    ${If} $1 <> 0
      StrCpy $LaterMode "restart"
      SetRebootFlag true
      DetailPrint "$0 is in use: it is deleted when Windows restarts"
      Goto done
    ${EndIf}
    ; Scheduling a deletion needs an administrator; a command that runs at
    ; the user's next log-on does not.
    StrCpy $LaterMode "logon"
  ${EndIf}
  StrCpy $LogOnFiles '$LogOnFiles "$0"'
  DetailPrint "$0 is in use: it is deleted when you next log on"
  done:
  Pop $1
  Pop $0
FunctionEnd

; Deletes a file of $INSTDIR (its name on the stack). Explorer keeps the
; extension loaded for minutes after a right-click, and a loaded library
; cannot be deleted, only renamed: it steps aside under a name of its own
; and goes later, so that an installation made in the meantime keeps its
; own file of that name.
Function un.RemoveFile
  Exch $0
  Push $1
  Push $2
  Delete "$INSTDIR\$0"
  ${If} ${FileExists} "$INSTDIR\$0"
    StrCpy $2 1
    ${Do}
      StrCpy $1 "$0.removed$2"
      ${IfNot} ${FileExists} "$INSTDIR\$1"
        ${Break}
      ${EndIf}
      IntOp $2 $2 + 1
    ${Loop}
    ClearErrors
    Rename "$INSTDIR\$0" "$INSTDIR\$1"
    ${If} ${Errors}
      StrCpy $1 $0
    ${EndIf}
    Push $1
    Call un.RemoveLater
  ${EndIf}
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

!macro REMOVE_FILE NAME
  Push "${NAME}"
  Call un.RemoveFile
!macroend

Section "un.${PRODUCT}" SecUnProgram
  SectionIn RO
  Call un.EndRunningPrograms
  StrCpy $RunDelete 1
  Call un.WalkRunValues
  Call un.UnregisterExtension
  !insertmacro REMOVE_FILE "Vorlane.exe"
  !insertmacro REMOVE_FILE "config.exe"
  !insertmacro REMOVE_FILE "Shellix.dll"
  !insertmacro REMOVE_FILE "Shellix.dll.old"
  !insertmacro REMOVE_FILE "Vorlane.html"
  !insertmacro REMOVE_FILE "LICENSE.txt"
  !insertmacro REMOVE_FILE "README.txt"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  Delete "$INSTDIR\uninstall.exe"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd

Section /o "un.My menus and options (${SETTINGS_FILE})" SecUnSettings
  Delete "$INSTDIR\${SETTINGS_FILE}"
SectionEnd

; Pushes how many entries the folder holds.
Function un.CountFolderEntries
  Push $0
  Push $1
  Push $2
  StrCpy $2 0
  FindFirst $0 $1 "$INSTDIR\*.*"
  ${DoWhile} $1 != ""
    ${If} $1 != "."
    ${AndIf} $1 != ".."
      IntOp $2 $2 + 1
    ${EndIf}
    FindNext $0 $1
  ${Loop}
  FindClose $0
  StrCpy $0 $2
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; Whatever else the user keeps in the folder keeps the folder; what waits
; to be deleted later takes the folder with it.
Section "-un.Folder"
  StrCpy $3 ""
  RMDir "$INSTDIR"
  ${If} ${FileExists} "$INSTDIR\*.*"
  ${AndIf} $HeldCount > 0
    Call un.CountFolderEntries
    Pop $0
    ${If} $0 = $HeldCount
      ${If} $LaterMode == "restart"
        System::Call 'kernel32::MoveFileExW(w "$INSTDIR", p 0, i ${MOVEFILE_DELAY_UNTIL_REBOOT}) i .r1'
        ${If} $1 <> 0
          DetailPrint "The folder $INSTDIR is deleted when Windows restarts"
        ${EndIf}
      ${Else}
        ${GetFileName} "$INSTDIR" $2
        StrCpy $3 ' && cd .. && rmdir "$2"'
      ${EndIf}
    ${EndIf}
  ${EndIf}
  ${If} $LogOnFiles != ""
    ; Each step runs only when the one before it did, so that nothing is
    ; deleted anywhere else when the folder has gone meanwhile.
    ClearErrors
    WriteRegStr HKCU "${RUN_ONCE_KEY}" "${LEFTOVERS_VALUE}" \
      '"$SYSDIR\cmd.exe" /c cd /d "$INSTDIR" && del /f /q$LogOnFiles$3'
    ${If} ${Errors}
      DetailPrint "What is left in $INSTDIR can be deleted after you log off and on again"
      StrCpy $UnFinishText "${PRODUCT} has been removed. Explorer still holds a part of it: \
delete the folder $INSTDIR after you log off and on again."
    ${Else}
      DetailPrint "What is left in $INSTDIR is deleted when you next log on"
      StrCpy $UnFinishText "${PRODUCT} has been removed. Explorer still holds a part of it \
in $INSTDIR, which is deleted when you next log on."
    ${EndIf}
  ${EndIf}
SectionEnd
