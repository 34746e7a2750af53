; The Windows installer of the ring-melody utility. It puts zorvik-melodies.exe beside the phone
; program Zorvik BG, in "C:\Program Files\Zorvik", with a Start-menu entry and an uninstaller
; listed in Add/Remove Programs. The phone program's own files ("Rings", "Rings\Deleted",
; "Phone.wav" and everything else there) are never created, replaced or removed: the installer
; writes only its two files, and the uninstaller removes only what the installer put there.
;
; makensis -INPUTCHARSET UTF8 -DPROGRAM=zorvik-melodies.exe -DVERSION=1.0.0
;          -DOUTFILE=zorvik-melodies-setup.exe zorvik.nsi
Unicode true
; the 64-bit stubs: the program is 64-bit, and Debian ships no 32-bit Wine to run others
Target amd64-unicode
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!ifndef PROGRAM | VERSION | OUTFILE
  !error "Give -DPROGRAM=<zorvik-melodies.exe> -DVERSION=<x.y.z> -DOUTFILE=<setup.exe>"
!endif

!define TITLE "Избор на мелодия за Zorvik BG"
!define PROGRAM_FILE "zorvik-melodies.exe"
!define UNINSTALLER_FILE "zorvik-melodies-uninstall.exe"
!define SHORTCUT "$SMPROGRAMS\${TITLE}.lnk"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\ZorvikMelodies"

Name "${TITLE}"
OutFile "${OUTFILE}"
; beside the phone program, which the utility works on: no other folder is offered
InstallDir "$PROGRAMFILES64\Zorvik"
ShowInstDetails show
ShowUninstDetails show

!include "MUI2.nsh"
!define MUI_ICON "${NSISDIR}\Contrib\Graphics\Icons\modern-install.ico"
!define MUI_UNICON "${NSISDIR}\Contrib\Graphics\Icons\modern-uninstall.ico"
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Bulgarian"

Function .onInit
  SetRegView 64
  SetShellVarContext all
  ; the utility works on the phone program's folder; without it, say so (silently: go on)
  IfFileExists "$INSTDIR\Rings\*.*" found
    MessageBox MB_OKCANCEL|MB_ICONEXCLAMATION \
      "Програмата Zorvik BG не е намерена в $INSTDIR (там няма папка $\"Rings$\").$\r$\nДа бъде ли инсталирана помощната програма въпреки това?" \
      /SD IDOK IDOK found
    Abort
  found:
FunctionEnd

Section "Program"
  ; remembered, so that the uninstaller removes the folder only if this installer made it
  StrCpy $0 0
  IfFileExists "$INSTDIR\*.*" +2
    StrCpy $0 1
  SetOutPath "$INSTDIR"
  SetOverwrite on
  File "/oname=${PROGRAM_FILE}" "${PROGRAM}"
  WriteUninstaller "$INSTDIR\${UNINSTALLER_FILE}"
  CreateShortcut "${SHORTCUT}" "$INSTDIR\${PROGRAM_FILE}"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${TITLE}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${PROGRAM_FILE}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" "$\"$INSTDIR\${UNINSTALLER_FILE}$\""
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" "$\"$INSTDIR\${UNINSTALLER_FILE}$\" /S"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ; keeps an earlier install's answer: the folder was this installer's if the first one made it
  ReadRegDWORD $1 HKLM "${UNINSTALL_KEY}" "CreatedInstallFolder"
  IntOp $0 $0 | $1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "CreatedInstallFolder" $0
SectionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Section "Uninstall"
  ReadRegDWORD $0 HKLM "${UNINSTALL_KEY}" "CreatedInstallFolder"
  Delete "$INSTDIR\${PROGRAM_FILE}"
  Delete "$INSTDIR\${UNINSTALLER_FILE}"
  Delete "${SHORTCUT}"
  ; the folder only if the installer made it, and only when nothing else is left in it
  StrCmp $0 1 0 +2
    RMDir "$INSTDIR"
  ; last, so that an uninstall cut short can be run again from Add/Remove Programs
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
