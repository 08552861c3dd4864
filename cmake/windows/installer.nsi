; The Windows installer, vantrelix-VERSION-setup.exe (tools/package-windows.sh runs makensis on it with
; VERSION, BUILD (the folder with the two programs and the icon) and SOURCE (the checkout) defined).
; With administrator rights it installs for all users (Program Files, HKLM), without them for the user
; alone (%LOCALAPPDATA%\Programs, HKCU); /CurrentUser installs for the user alone in any case, /S silently.
; The uninstaller removes what was installed, the settings and the start-up entry; the backups the
; program wrote into its folder stay, and so does the folder while it holds them.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel highest
ManifestDPIAware true

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh

!define PRODUCT "Vantrelix v3.0"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vantrelix"
!define SETTINGS_KEY "Software\VB and VBA Program Settings\Vantrelix v3.0"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"

Name "${PRODUCT}"
OutFile "${BUILD}\vantrelix-${VERSION}-setup.exe"
BrandingText "${PRODUCT}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey "LegalCopyright" "MIT licence"

!define MUI_ICON "${BUILD}\art\vantrelix.ico"
!define MUI_UNICON "${BUILD}\art\vantrelix.ico"
!define MUI_FINISHPAGE_RUN "$INSTDIR\vantrelix.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Var AllUsers

Function .onInit
    SetRegView 64
    StrCpy $AllUsers 0
    UserInfo::GetAccountType
    Pop $0
    ${GetParameters} $1
    ClearErrors
    ${GetOptions} $1 "/CurrentUser" $2
    ${If} $0 == "Admin"
    ${AndIf} ${Errors}
        StrCpy $AllUsers 1
    ${EndIf}
    ${If} $AllUsers == 1
        SetShellVarContext all
        StrCmp $INSTDIR "" 0 +2 ; /D= names another folder
            StrCpy $INSTDIR "$PROGRAMFILES64\Vantrelix"
    ${Else}
        SetShellVarContext current
        StrCmp $INSTDIR "" 0 +2
            StrCpy $INSTDIR "$LOCALAPPDATA\Programs\Vantrelix"
    ${EndIf}
FunctionEnd

!macro WriteUninstallEntry ROOT
    WriteRegStr ${ROOT} "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr ${ROOT} "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr ${ROOT} "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\vantrelix.exe,0"
    WriteRegStr ${ROOT} "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr ${ROOT} "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr ${ROOT} "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD ${ROOT} "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD ${ROOT} "${UNINSTALL_KEY}" "NoRepair" 1
    WriteRegDWORD ${ROOT} "${UNINSTALL_KEY}" "EstimatedSize" $1
!macroend

Section "Vantrelix"
    SetOutPath "$INSTDIR"
    File "${BUILD}\vantrelix.exe"
    File "${BUILD}\vantrelix-cli.exe"
    SetOutPath "$INSTDIR\help"
    File "${SOURCE}\data\help\*.html"
    SetOutPath "$INSTDIR"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\vantrelix.exe" "" "$INSTDIR\vantrelix.exe" 0

    ${GetSize} "$INSTDIR" "/S=0K" $1 $2 $3
    ${If} $AllUsers == 1
        !insertmacro WriteUninstallEntry HKLM
    ${Else}
        !insertmacro WriteUninstallEntry HKCU
    ${EndIf}
SectionEnd

Function un.onInit
    SetRegView 64
    ; Installed for all users when the machine's uninstall entry names this folder.
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 == $INSTDIR
        StrCpy $AllUsers 1
        SetShellVarContext all
    ${Else}
        StrCpy $AllUsers 0
        SetShellVarContext current
    ${EndIf}
FunctionEnd

Section "Uninstall"
    Delete "$INSTDIR\vantrelix.exe"
    Delete "$INSTDIR\vantrelix-cli.exe"
    Delete "$INSTDIR\help\reghelp.html"
    Delete "$INSTDIR\help\support.html"
    RMDir "$INSTDIR\help"
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"
    ; What the program wrote besides the backups: its report and settings, here or in the user's data.
    Delete "$INSTDIR\ScanReport.txt"
    Delete "$INSTDIR\settings.ini"
    Delete "$LOCALAPPDATA\Vantrelix\ScanReport.txt"
    Delete "$LOCALAPPDATA\Vantrelix\settings.ini"
    RMDir "$LOCALAPPDATA\Vantrelix"
    DeleteRegKey HKCU "${SETTINGS_KEY}"
    DeleteRegKey /ifempty HKCU "Software\VB and VBA Program Settings"
    DeleteRegValue HKCU "${RUN_KEY}" "vantrelix"
    ${If} $AllUsers == 1
        DeleteRegValue HKLM "${RUN_KEY}" "vantrelix"
        DeleteRegKey HKLM "${UNINSTALL_KEY}"
    ${Else}
        DeleteRegKey HKCU "${UNINSTALL_KEY}"
    ${EndIf}
    Delete "$INSTDIR\uninstall.exe"
    ; Kept while it holds the user's backups.
    RMDir "$INSTDIR"
    ${If} $AllUsers == 0
        RMDir "$LOCALAPPDATA\Programs" ; made for this program, unless another one is there too
    ${EndIf}
SectionEnd
