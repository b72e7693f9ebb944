; KESTRO Antivirus setup (NSIS 3, Unicode). Built by installer/CMakeLists.txt:
;   makensis -DVERSION=4.2 -DARCH=x64|x86 -DPROGRAM_DIR=<tree>/out
;            -DDATABASE_DIR=<folder of the .avn files> -DICON=<KESTRO.ico>
;            -DOUTFILE=<setup.exe> kestro-setup.nsi
;
; Command line of the setup:
;   /S            silent: installs every part that is ticked by default
;   /NODESKTOP    no desktop shortcut
;   /NOSHELL      do not register the Explorer menu ("Scan with KESTRO Antivirus")
;   /D=FOLDER     install folder (last on the command line, without quotes)
; Command line of the uninstaller (Uninstall.exe):
;   /S                  silent; keeps the quarantine folder
;   /REMOVEQUARANTINE   also remove the quarantine folder and the files in it

!ifndef VERSION | ARCH | PROGRAM_DIR | DATABASE_DIR | ICON | OUTFILE
  !error "VERSION, ARCH, PROGRAM_DIR, DATABASE_DIR, ICON and OUTFILE must be defined"
!endif

!if "${ARCH}" == "x64"
  Target amd64-unicode
  !define OTHER_SETUP "KESTRO-Antivirus-${VERSION}-x86-setup.exe"
!else if "${ARCH}" == "x86"
  Target x86-unicode
!else
  !error "ARCH must be x64 or x86"
!endif

!define PRODUCT "KESTRO Antivirus"
!define PUBLISHER "KESTRO"
!define PROGRAM_EXE "KESTRO Antivirus.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\KESTRO Antivirus"
!define SETTINGS_KEY "Software\KESTRO"
!define MAIN_WINDOW_CLASS "KestroMainWindow"

Unicode true
SetCompressor /SOLID lzma
Name "${PRODUCT}"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
!if "${ARCH}" == "x64"
  InstallDir "$PROGRAMFILES64\${PRODUCT}"
!else
  InstallDir "$PROGRAMFILES\${PRODUCT}"
!endif
BrandingText "${PRODUCT} ${VERSION}"
VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}.0.0"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} setup (${ARCH})"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PUBLISHER}"

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include x64.nsh

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\${PROGRAM_EXE}"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${PRODUCT} now"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Runs regsvr32 of the setup's own architecture (a 32-bit setup on 64-bit
; Windows reaches the 32-bit one through the file-system redirection).
!macro Regsvr32 ARGS FILE
  ExecWait '"$SYSDIR\regsvr32.exe" ${ARGS} "${FILE}"' $0
!macroend

; The quarantine folder: the drive of the Windows folder + "[ KESTRO ]", as
; the program makes it.
!macro QuarantineFolder VAR
  StrCpy ${VAR} "$WINDIR" 3
  StrCpy ${VAR} "${VAR}[ KESTRO ]"
!macroend

; Asks the user to close a running copy of the program (its files cannot be
; replaced or removed while it runs). Silent runs give up at once.
!macro WaitForProgramToClose
  ${Do}
    FindWindow $0 "${MAIN_WINDOW_CLASS}"
    ${If} $0 == 0
      ${Break}
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${PRODUCT} is running. Close it and press Retry." /SD IDCANCEL IDRETRY +2
    Abort
  ${Loop}
!macroend

Section "${PRODUCT} (required)" SecProgram
  SectionIn RO
  !insertmacro WaitForProgramToClose
  SetOutPath "$INSTDIR"
  SetOverwrite on
  ; Explorer may hold the shell extension loaded: move an old copy aside so the
  ; new one can be written; the old one goes at the next restart.
  ${If} ${FileExists} "$INSTDIR\KESTROExtc.dll"
    Delete "$INSTDIR\KESTROExtc.dll"
    ${If} ${FileExists} "$INSTDIR\KESTROExtc.dll"
      Delete "$INSTDIR\KESTROExtc.dll.old"
      Rename "$INSTDIR\KESTROExtc.dll" "$INSTDIR\KESTROExtc.dll.old"
      Delete /REBOOTOK "$INSTDIR\KESTROExtc.dll.old"
    ${EndIf}
  ${EndIf}
  File "${PROGRAM_DIR}\${PROGRAM_EXE}"
  File "${PROGRAM_DIR}\KESTROEngine.dll"
  File "${PROGRAM_DIR}\KESTROGui.dll"
  File "${PROGRAM_DIR}\KESTROInet.dll"
  File "${PROGRAM_DIR}\KESTROKeyboard.dll"
  File "${PROGRAM_DIR}\KESTROExtc.dll"
  File "${PROGRAM_DIR}\RARExtract.dll"
  ; The databases: an upgrade replaces them with the ones of this version.
  File "${DATABASE_DIR}\DB_0x.avn"
  File "${DATABASE_DIR}\DB_1x.avn"
  File "${DATABASE_DIR}\DB_2x.avn"
  SetOutPath "$INSTDIR\Sound"
  File "${PROGRAM_DIR}\Sound\detected.wav"
  File "${PROGRAM_DIR}\Sound\finished.wav"
  ; The program writes its scan log here; users without administrator rights
  ; need to be able to write it.
  CreateDirectory "$INSTDIR\Log"
  nsExec::Exec '"$SYSDIR\icacls.exe" "$INSTDIR\Log" /grant *S-1-5-32-545:(OI)(CI)M /Q'
  Pop $0
  SetOutPath "$INSTDIR"

  ; The virtual keyboard is created by its programmatic identifier.
  !insertmacro Regsvr32 "/s" "$INSTDIR\KESTROKeyboard.dll"
  ${If} $0 != 0
    DetailPrint "Registering KESTROKeyboard.dll failed ($0)"
  ${EndIf}

  WriteUninstaller "$INSTDIR\Uninstall.exe"

  SetShellVarContext all
  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\${PROGRAM_EXE}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\Uninstall ${PRODUCT}.lnk" "$INSTDIR\Uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" '"$INSTDIR\${PROGRAM_EXE}",0'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Explorer menu: Scan with ${PRODUCT}" SecShell
  !insertmacro Regsvr32 "/s" "$INSTDIR\KESTROExtc.dll"
  ${If} $0 != 0
    DetailPrint "Registering KESTROExtc.dll failed ($0)"
  ${EndIf}
SectionEnd

Section "Desktop shortcut" SecDesktop
  SetShellVarContext all
  CreateShortcut "$DESKTOP\${PRODUCT}.lnk" "$INSTDIR\${PROGRAM_EXE}"
SectionEnd

; Without the Explorer menu the program's own "Shell" option starts off, or the
; program would register the menu at its first close. A missing or partial
; settings key makes the program write all ten defaults: write them here, with
; "Shell" off; an existing key only gets "Shell" switched off.
Section "-Shell option"
  ${IfNot} ${SectionIsSelected} ${SecShell}
    ClearErrors
    ReadRegDWORD $0 HKCU "${SETTINGS_KEY}" "Process"
    ${If} ${Errors}
      WriteRegDWORD HKCU "${SETTINGS_KEY}" "Auto" 1
      WriteRegDWORD HKCU "${SETTINGS_KEY}" "On Top" 0
      WriteRegDWORD HKCU "${SETTINGS_KEY}" "Hide App" 0
      WriteRegDWORD HKCU "${SETTINGS_KEY}" "Process" 1
      WriteRegDWORD HKCU "${SETTINGS_KEY}" "Unclose" 0
      WriteRegDWORD HKCU "${SETTINGS_KEY}" "FixReg" 1
      WriteRegDWORD HKCU "${SETTINGS_KEY}" "Sound" 1
      WriteRegDWORD HKCU "${SETTINGS_KEY}" "CleanAll" 0
      WriteRegDWORD HKCU "${SETTINGS_KEY}" "Archive" 1
    ${EndIf}
    WriteRegDWORD HKCU "${SETTINGS_KEY}" "Shell" 0
  ${EndIf}
SectionEnd

Section "-Size"
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} "The program, its libraries, the signature databases and the sounds."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecShell} "Adds $\"Scan with ${PRODUCT}$\" to the menu of folders and drives in Explorer."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecDesktop} "A shortcut to the program on the desktop."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Function .onInit
!if "${ARCH}" == "x64"
  ${IfNot} ${RunningX64}
    MessageBox MB_OK|MB_ICONSTOP "This setup is for 64-bit Windows. On 32-bit Windows, install ${PRODUCT} with ${OTHER_SETUP}." /SD IDOK
    Abort
  ${EndIf}
  SetRegView 64
!endif
  ; An upgrade goes into the folder of the installed version.
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
    StrCpy $INSTDIR $0
  ${EndIf}
  ${GetParameters} $1
  ClearErrors
  ${GetOptions} $1 "/NODESKTOP" $2
  ${IfNot} ${Errors}
    !insertmacro UnselectSection ${SecDesktop}
  ${EndIf}
  ClearErrors
  ${GetOptions} $1 "/NOSHELL" $2
  ${IfNot} ${Errors}
    !insertmacro UnselectSection ${SecShell}
  ${EndIf}
FunctionEnd

Function un.onInit
!if "${ARCH}" == "x64"
  SetRegView 64
!endif
FunctionEnd

Section "Uninstall"
  !insertmacro WaitForProgramToClose

  ; The COM servers first, while their files are still there.
  !insertmacro Regsvr32 "/u /s" "$INSTDIR\KESTROExtc.dll"
  !insertmacro Regsvr32 "/u /s" "$INSTDIR\KESTROKeyboard.dll"

  Delete "$INSTDIR\${PROGRAM_EXE}"
  Delete "$INSTDIR\KESTROEngine.dll"
  Delete "$INSTDIR\KESTROGui.dll"
  Delete "$INSTDIR\KESTROInet.dll"
  Delete "$INSTDIR\KESTROKeyboard.dll"
  Delete /REBOOTOK "$INSTDIR\KESTROExtc.dll"
  Delete /REBOOTOK "$INSTDIR\KESTROExtc.dll.old"
  Delete "$INSTDIR\RARExtract.dll"
  ; The databases, and what the updater leaves beside them.
  Delete "$INSTDIR\DB_?x.avn"
  Delete "$INSTDIR\DB_?x.avn.new"
  Delete "$INSTDIR\DB_?x.avn.old"
  Delete "$INSTDIR\UPDATE_*.*"
  Delete "$INSTDIR\Sound\detected.wav"
  Delete "$INSTDIR\Sound\finished.wav"
  RMDir "$INSTDIR\Sound"
  ; The scan log and the registry repair's undo files.
  RMDir /r "$INSTDIR\Log"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"

  ; The archive scanner's extraction folder.
  RMDir /r "$WINDIR\Temp\KESTRO"

  SetShellVarContext all
  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\Uninstall ${PRODUCT}.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"
  Delete "$DESKTOP\${PRODUCT}.lnk"

  ; The settings and the scan markers.
  DeleteRegKey HKCU "${SETTINGS_KEY}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"

  ; The quarantine folder may hold the only copy of a user's file: it goes only
  ; when the user says so (silent runs: only with /REMOVEQUARANTINE).
  !insertmacro QuarantineFolder $R0
  ${If} ${FileExists} "$R0\*.*"
    ${GetParameters} $1
    ClearErrors
    ${GetOptions} $1 "/REMOVEQUARANTINE" $2
    ${If} ${Errors}
      MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
        "Remove the quarantine folder $R0 too?$\r$\n$\r$\nIt holds the files ${PRODUCT} quarantined; once removed, they cannot be restored." \
        /SD IDNO IDNO keep_quarantine
    ${EndIf}
    SetFileAttributes "$R0" NORMAL
    RMDir /r "$R0"
    keep_quarantine:
  ${EndIf}
SectionEnd
