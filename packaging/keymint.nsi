; The Windows installer: a per-user install that needs no administrator, with a Start menu entry,
; an entry in Apps & features and an uninstaller that keeps the user's records unless asked.
; makensis is given:
;   VERSION   the program's version (0.3)
;   FILES     an include of File lines, one per file the zip holds
;   REMOVE    an include of the matching Delete lines
;   OUTFILE   the installer to write
;   ICON      the program's icon (optional)
; Silent: installer.exe /S [/D=folder]; uninstall.exe /S [/REMOVERECORDS].

; A 64-bit installer for a 64-bit program: it runs wherever the program does.
Target amd64-unicode
SetCompressor /SOLID lzma
; No file dates in the installer: two builds of one commit give one installer.
SetDateSave off
RequestExecutionLevel user
ManifestDPIAware true

!include MUI2.nsh
!include FileFunc.nsh

!define KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Keymint"
!define RUN "Software\Microsoft\Windows\CurrentVersion\Run"

Name "Keymint"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Keymint"
InstallDirRegKey HKCU "${KEY}" "InstallLocation"
BrandingText "Keymint ${VERSION}"
VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=0 "ProductName" "Keymint"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileDescription" "Keymint installer"
VIAddVersionKey /LANG=0 "LegalCopyright" "Keymint developers"

!ifdef ICON
    !define MUI_ICON "${ICON}"
    !define MUI_UNICON "${ICON}"
!endif
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\keymint.exe"
!define MUI_COMPONENTSPAGE_NODESC

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "Turkish"
!insertmacro MUI_LANGUAGE "English"

LangString ProgramSection ${LANG_TURKISH} "Keymint programı"
LangString ProgramSection ${LANG_ENGLISH} "The Keymint program"
LangString RecordsSection ${LANG_TURKISH} "Kayıtlarım ve ayarlarım da silinsin ($LOCALAPPDATA\Keymint)"
LangString RecordsSection ${LANG_ENGLISH} "Also remove my records and settings ($LOCALAPPDATA\Keymint)"
LangString MarkText ${LANG_TURKISH} "Keymint buraya kuruldu. Kayıtlar ve ayarlar $LOCALAPPDATA\Keymint klasöründedir."
LangString MarkText ${LANG_ENGLISH} "Keymint was installed here. Its records and settings are in $LOCALAPPDATA\Keymint."

Section "Keymint"
    SetShellVarContext current
    SetOutPath "$INSTDIR"
    !include "${FILES}"
    ; The mark makes the program keep its records in the user's data folder, never here.
    FileOpen $0 "$INSTDIR\installed.txt" w
    FileWriteUTF16LE /BOM $0 "$(MarkText)$\r$\n"
    FileClose $0
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortcut "$SMPROGRAMS\Keymint.lnk" "$INSTDIR\keymint.exe"

    WriteRegStr HKCU "${KEY}" "DisplayName" "Keymint"
    WriteRegStr HKCU "${KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${KEY}" "Publisher" "Keymint developers"
    WriteRegStr HKCU "${KEY}" "DisplayIcon" "$INSTDIR\keymint.exe"
    WriteRegStr HKCU "${KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKCU "${KEY}" "EstimatedSize" $0
SectionEnd

Section "-un.$(ProgramSection)"
    SetShellVarContext current
    Delete "$SMPROGRAMS\Keymint.lnk"
    !include "${REMOVE}"
    Delete "$INSTDIR\installed.txt"
    Delete "$INSTDIR\uninstall.exe"
    ; Only the installed files: whatever else the folder holds stays, and the folder with it.
    RMDir "$INSTDIR\Language"
    RMDir "$INSTDIR"
    ; The log-on entry, where it starts this copy and the user may change it.
    ReadRegStr $0 HKLM "${RUN}" "keymint"
    StrCmp $0 "$INSTDIR\keymint.exe" remove_run
    StrCmp $0 '"$INSTDIR\keymint.exe"' remove_run keep_run
    remove_run:
    DeleteRegValue HKLM "${RUN}" "keymint"
    keep_run:
    DeleteRegKey HKCU "${KEY}"
SectionEnd

Section /o "un.$(RecordsSection)" RecordsSection
    SetShellVarContext current
    RMDir /r "$LOCALAPPDATA\Keymint"
SectionEnd

Function un.onInit
    ${un.GetParameters} $0
    ClearErrors
    ${un.GetOptions} $0 "/REMOVERECORDS" $1
    IfErrors +2
    SectionSetFlags ${RecordsSection} ${SF_SELECTED}
FunctionEnd
