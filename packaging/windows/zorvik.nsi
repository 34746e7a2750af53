; The Windows installer of the ring-melody utility. It puts zorvik-melodies.exe beside the phone
; program Zorvik BG, in "C:\Program Files\Zorvik", with a Start-menu entry and an uninstaller
; listed in Add/Remove Programs. The phone program's own files ("Rings", "Rings\Deleted",
; "Phone.wav" and everything else there) are never created, replaced or removed: the installer
; writes only its two files, and the uninstaller removes only what the installer put there.
;
; makensis -WX -INPUTCHARSET UTF8 -DPRODUCT=product.nsh -DPROGRAM=zorvik-melodies.exe
;          -DOUTFILE=zorvik-melodies-setup.exe zorvik.nsi
; product.nsh, written by the build, defines PRODUCT_NAME, PUBLISHER and VERSION (x.y.z), the
; same that the program's own version resource carries.
Unicode true
; the 64-bit stubs: the program is 64-bit, and Debian ships no 32-bit Wine to run others
Target amd64-unicode
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!ifndef PRODUCT | PROGRAM | OUTFILE
  !error "Give -DPRODUCT=<product.nsh> -DPROGRAM=<zorvik-melodies.exe> -DOUTFILE=<setup.exe>"
!endif
!include "${PRODUCT}"

!define PROGRAM_FILE "zorvik-melodies.exe"
!define UNINSTALLER_FILE "zorvik-melodies-uninstall.exe"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT_NAME}.lnk"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\ZorvikMelodies"

Name "${PRODUCT_NAME}"
OutFile "${OUTFILE}"
; beside the phone program, which the utility works on: no other folder is offered
InstallDir "$PROGRAMFILES64\Zorvik"
ShowInstDetails show
ShowUninstDetails show
BrandingText "${PRODUCT_NAME} ${VERSION}"

; the installer's own version, as Explorer and the consent prompt show it
VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=1026 "ProductName" "${PRODUCT_NAME}"
VIAddVersionKey /LANG=1026 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1026 "LegalCopyright" "© ${PUBLISHER}"
VIAddVersionKey /LANG=1026 "FileDescription" "Инсталиране на ${PRODUCT_NAME}"
VIAddVersionKey /LANG=1026 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1026 "ProductVersion" "${VERSION}"

!include "FileFunc.nsh"
!include "MUI2.nsh"
!define MUI_ICON "${NSISDIR}\Contrib\Graphics\Icons\modern-install.ico"
!define MUI_UNICON "${NSISDIR}\Contrib\Graphics\Icons\modern-uninstall.ico"
; Nothing is written before the user says "Инсталирай" on this page (a silent install skips it).
; The titles name the product, which takes three lines at the pages' width.
!define MUI_WELCOMEPAGE_TITLE_3LINES
!define MUI_WELCOMEPAGE_TEXT "Програмата ще бъде инсталирана в $INSTDIR, до Zorvik BG, и ще се появи в менюто $\"Старт$\".$\r$\n$\r$\nФайловете на Zorvik BG (папките Rings и Rings\Deleted, Phone.wav) и настройките му остават непокътнати; изтриването на програмата не ги засяга.$\r$\n$\r$\n$_CLICK"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TITLE_3LINES
; No box to start the program from here: it would run with the installer's administrator
; rights, and write the settings of that administrator instead of the user's own.
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

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT_NAME}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${PROGRAM_FILE}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" "$\"$INSTDIR\${UNINSTALLER_FILE}$\""
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" "$\"$INSTDIR\${UNINSTALLER_FILE}$\" /S"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ; what this installer put there, not the phone program's folder around it
  ${GetSize} "$INSTDIR" "/M=${PROGRAM_FILE} /S=0K /G=0" $1 $2 $3
  ${GetSize} "$INSTDIR" "/M=${UNINSTALLER_FILE} /S=0K /G=0" $2 $3 $4
  IntOp $1 $1 + $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $1
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
