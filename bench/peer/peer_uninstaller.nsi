; The peer of the benchmark: an NSIS uninstaller that removes what
; Uninstall_Oskaldrv.exe removes from the installed product (the driver file,
; the layout key, the desktop shortcut, the product folder and the uninstall
; entry) and asks and reports with the same two message boxes. It does not
; take the layout out of the user's layout lists (Preload, Substitutes) and
; does not renumber them: NSIS has no means for that short of a plug-in, so
; the peer does less work than ours.
;
; NSIS builds an uninstaller into an installer, which writes it out when it
; runs: this script makes an installer whose one job is to write the
; uninstaller beside itself, and makensis hands a copy of the uninstaller to
; UNINSTALLER_COPY as it builds it (!uninstfinalize), so that nothing has to
; run under Windows.
;
;   makensis -INPUTCHARSET UTF8 -DTARGET=amd64-unicode|x86-unicode|x86-ansi
;            -DCOMPRESSOR=zlib|bzip2|lzma -DINSTALLER=PATH
;            -DUNINSTALLER_COPY=PATH peer_uninstaller.nsi
;
; Started from the product folder, the uninstaller copies itself to the
; temporary folder and restarts from there, as ours does.

Target ${TARGET}
SetCompressor ${COMPRESSOR}
RequestExecutionLevel admin
Name "DIN Varn AltGrLinks (V3.02 $\"Lindgriff$\")"
Caption "Uninstall_Oskaldrv"
UninstallCaption "Uninstall_Oskaldrv V3.02 - Tastaturtreiber-Deinstallation"
OutFile "${INSTALLER}"
!uninstfinalize 'cp "%1" "${UNINSTALLER_COPY}"'
SilentInstall silent
LoadLanguageFile "${NSISDIR}\Contrib\Language files\German.nlf"

!define LAYOUT_KEY "System\CurrentControlSet\Control\Keyboard Layouts\a0010407"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tastaturbelegung DIN Varn AltGrLinks (V3.02 $\"Lindgriff$\")"
!define CHART "Tastaturbelegung Varn (V3.02) Schaubild"
!define DRIVER_NAME "DIN Varn AltGrLinks (V3.02 $\"Lindgriff$\")"

Section
  WriteUninstaller "$EXEDIR\Uninstall_Oskaldrv.exe"
SectionEnd

UninstPage instfiles
ShowUninstDetails show

Function un.onInit
  MessageBox MB_YESNO|MB_ICONQUESTION "Soll folgender Tastatur-Treiber deinstalliert werden?$\n$\n${DRIVER_NAME}" IDYES go
  Abort
go:
FunctionEnd

Section "Uninstall"
  SetAutoClose true
!if "${TARGET}" == "amd64-unicode"
  Delete "$SYSDIR\Oskaldrv.DLL"
  Delete "$WINDIR\SysWOW64\Oskaldrv.DLL"
!else
  ; A 32-bit uninstaller on 64-bit Windows: the native driver with
  ; file-system redirection off (as x64.nsh does it), then the 32-bit copy.
  System::Call "kernel32::Wow64EnableWow64FsRedirection(i 0)"
  Delete "$SYSDIR\Oskaldrv.DLL"
  System::Call "kernel32::Wow64EnableWow64FsRedirection(i 1)"
  Delete "$SYSDIR\Oskaldrv.DLL"
!endif
  DeleteRegKey HKLM "${LAYOUT_KEY}"
  Delete "$DESKTOP\${CHART}.LNK"
  Delete "$INSTDIR\${CHART}.pdf"
  Delete "$INSTDIR\${CHART}.ico"
  Delete "$INSTDIR\Uninstall_Oskaldrv.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

Function un.onUninstSuccess
  MessageBox MB_OK|MB_ICONINFORMATION "Folgender Tastatur-Treiber wurde deinstalliert:$\n${DRIVER_NAME}"
FunctionEnd
