; The Windows installer: the programs, a Start-menu shortcut, an uninstaller,
; the settings key the program opens but never creates, and on request a weekly
; unattended analysis.
;   makensis -DVERSION=0.1.0 -DPROGRAMS=<folder with the .exe files> -DICON=<corvath.ico>
;            -DLAUNCHER=<corvath-uninstall.exe> -DOUTFILE=<setup.exe> corvath-analyzer.nsi
; Silent: setup.exe /S [/WEEKLY] [/METRICS]   uninstall.exe /S

; A 64-bit installer for 64-bit programs; it also runs where only 64-bit
; Windows programs can (Wine without its 32-bit part).
Target amd64-unicode
SetCompressor /SOLID lzma

!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "MUI2.nsh"
!include "Sections.nsh"

!define PRODUCT "Corvath Analyzer"
!define SETTINGS_KEY "Software\Tamsel"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\CorvathAnalyzer"
!define TASK "Corvath Analyzer weekly analysis"
!define METRICS_TASK "Corvath Analyzer metrics for windows_exporter"
; Where windows_exporter's textfile collector reads, as its installer makes it.
!define METRICS_FILE "$PROGRAMFILES64\windows_exporter\textfile_inputs\corvath.prom"
; Whose the product is, as the settings key says.
!define PUBLISHER "Tamsel"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
; Per user: the settings and the scans live in the user's profile, so the
; programs do too, and no elevation is asked for.
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"

; The setup's own version, as Explorer's properties show it.
VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\corvath-analyzer.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Run ${PRODUCT}"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "${PRODUCT}" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "${PROGRAMS}/corvath-analyzer.exe"
  File "${PROGRAMS}/corvath-scan.exe"
  File "${PROGRAMS}/corvath-report.exe"
  ; uninstall.exe waits for the uninstaller proper (uninstall_in_place.h).
  WriteUninstaller "$INSTDIR\uninstall-core.exe"
  File "/oname=uninstall.exe" "${LAUNCHER}"

  CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\corvath-analyzer.exe"
  ; The Windows user's results view: the stored scans as a page in the browser.
  CreateShortCut "$SMPROGRAMS\Corvath Results.lnk" "$INSTDIR\corvath-report.exe" "html --open"

  ; The program opens this key and never creates it. Writing and removing a
  ; value creates the key and leaves any settings already in it untouched.
  WriteRegDWORD HKCU "${SETTINGS_KEY}" "CorvathInstalling" 1
  DeleteRegValue HKCU "${SETTINGS_KEY}" "CorvathInstalling"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\corvath-analyzer.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ; In KiB, as Windows' list of programs expects it.
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

; Off unless ticked, or /WEEKLY on a silent install's command line. The task
; is given as Task Scheduler XML, which both Windows and Wine take.
Section /o "Analyze the drives every week" SecWeekly
  InitPluginsDir
  FileOpen $1 "$PLUGINSDIR\weekly.xml" w
  FileWriteWord $1 0xFEFF
  FileWriteUTF16LE $1 '<?xml version="1.0" encoding="UTF-16"?>$\r$\n'
  FileWriteUTF16LE $1 '<Task version="1.2" xmlns="http://schemas.microsoft.com/windows/2004/02/mit/task">$\r$\n'
  FileWriteUTF16LE $1 '  <RegistrationInfo><Description>${PRODUCT}: analyze the drives every week</Description></RegistrationInfo>$\r$\n'
  FileWriteUTF16LE $1 '  <Triggers><CalendarTrigger><StartBoundary>2026-01-04T12:00:00</StartBoundary>$\r$\n'
  FileWriteUTF16LE $1 '    <ScheduleByWeek><DaysOfWeek><Sunday/></DaysOfWeek><WeeksInterval>1</WeeksInterval></ScheduleByWeek>$\r$\n'
  FileWriteUTF16LE $1 '  </CalendarTrigger></Triggers>$\r$\n'
  ; As the Linux timer's service: given up after 6 hours, at a low priority
  ; (9: the idle class, which also lowers its disk priority).
  FileWriteUTF16LE $1 '  <Settings><StartWhenAvailable>true</StartWhenAvailable><DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>$\r$\n'
  FileWriteUTF16LE $1 '    <ExecutionTimeLimit>PT6H</ExecutionTimeLimit><Priority>9</Priority></Settings>$\r$\n'
  FileWriteUTF16LE $1 '  <Actions><Exec><Command>"$INSTDIR\corvath-analyzer.exe"</Command><Arguments>-auto</Arguments></Exec></Actions>$\r$\n'
  FileWriteUTF16LE $1 '</Task>$\r$\n'
  FileClose $1
  nsExec::ExecToLog 'schtasks /Create /F /TN "${TASK}" /XML "$PLUGINSDIR\weekly.xml"'
  Pop $0
  ${If} $0 != 0
    DetailPrint "The weekly analysis could not be scheduled (schtasks: $0)."
  ${EndIf}
SectionEnd

; For a machine watched by windows_exporter: off unless ticked, or /METRICS on
; a silent install. The task runs as SYSTEM, so it sees every fixed drive and
; may write below Program Files; scheduling it needs the setup run as an
; administrator, as a fleet's deployment runs it. The actions run in turn: a
; failed analysis leaves the last scans, whose success time then ages.
Section /o "Feed windows_exporter every week (administrators)" SecMetrics
  InitPluginsDir
  FileOpen $1 "$PLUGINSDIR\metrics.xml" w
  FileWriteWord $1 0xFEFF
  FileWriteUTF16LE $1 '<?xml version="1.0" encoding="UTF-16"?>$\r$\n'
  FileWriteUTF16LE $1 '<Task version="1.2" xmlns="http://schemas.microsoft.com/windows/2004/02/mit/task">$\r$\n'
  FileWriteUTF16LE $1 '  <RegistrationInfo><Description>${PRODUCT}: analyze the fixed drives every week and write their metrics for windows_exporter</Description></RegistrationInfo>$\r$\n'
  FileWriteUTF16LE $1 '  <Principals><Principal id="System"><UserId>S-1-5-18</UserId><RunLevel>HighestAvailable</RunLevel></Principal></Principals>$\r$\n'
  FileWriteUTF16LE $1 '  <Triggers><CalendarTrigger><StartBoundary>2026-01-04T13:00:00</StartBoundary>$\r$\n'
  FileWriteUTF16LE $1 '    <ScheduleByWeek><DaysOfWeek><Sunday/></DaysOfWeek><WeeksInterval>1</WeeksInterval></ScheduleByWeek>$\r$\n'
  FileWriteUTF16LE $1 '  </CalendarTrigger></Triggers>$\r$\n'
  FileWriteUTF16LE $1 '  <Settings><StartWhenAvailable>true</StartWhenAvailable><DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>$\r$\n'
  FileWriteUTF16LE $1 '    <ExecutionTimeLimit>PT6H</ExecutionTimeLimit><Priority>9</Priority></Settings>$\r$\n'
  FileWriteUTF16LE $1 '  <Actions Context="System">$\r$\n'
  FileWriteUTF16LE $1 '    <Exec><Command>"$INSTDIR\corvath-analyzer.exe"</Command><Arguments>-auto</Arguments></Exec>$\r$\n'
  FileWriteUTF16LE $1 '    <Exec><Command>"$INSTDIR\corvath-report.exe"</Command><Arguments>metrics "${METRICS_FILE}"</Arguments></Exec>$\r$\n'
  FileWriteUTF16LE $1 '  </Actions>$\r$\n'
  FileWriteUTF16LE $1 '</Task>$\r$\n'
  FileClose $1
  nsExec::ExecToLog 'schtasks /Create /F /TN "${METRICS_TASK}" /XML "$PLUGINSDIR\metrics.xml"'
  Pop $0
  ${If} $0 != 0
    DetailPrint "The metrics for windows_exporter could not be scheduled (schtasks: $0); run the setup as an administrator."
  ${EndIf}
SectionEnd

Function .onInit
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/WEEKLY" $R1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecWeekly}
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/METRICS" $R1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecMetrics}
  ${EndIf}
FunctionEnd

; The user's settings and scans stay: they are the user's, and a reinstall
; picks them up again.
Section "Uninstall"
  nsExec::ExecToLog 'schtasks /Delete /F /TN "${TASK}"'
  Pop $0
  nsExec::ExecToLog 'schtasks /Delete /F /TN "${METRICS_TASK}"'
  Pop $0
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\Corvath Results.lnk"
  Delete "$INSTDIR\corvath-analyzer.exe"
  Delete "$INSTDIR\corvath-scan.exe"
  Delete "$INSTDIR\corvath-report.exe"
  ; Run in place by uninstall.exe, neither of them can go yet: it removes both.
  Delete "$INSTDIR\uninstall.exe"
  Delete "$INSTDIR\uninstall-core.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
