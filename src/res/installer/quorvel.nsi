; The Windows installer, quorvel-setup-x64.exe. scripts/build-windows.sh makes
; it from the deploy folder with
;   makensis -DVERSION=<a.b.c.d> -DDEPLOY=<deploy folder> -DICON=<quorvel.ico>
;            -DFILES=<files.nsh> -DOUTFILE=<setup exe> quorvel.nsi
; where files.nsh holds the uninstaller's Delete and RMDir lines for exactly
; the deployed files, so that it never removes what it did not install.
;
; Run by a user, it installs for that user alone, with no administrator
; rights, under %LOCALAPPDATA%\Programs\Quorvel and HKEY_CURRENT_USER. Run
; elevated, it installs for all users under Program Files and
; HKEY_LOCAL_MACHINE; /CurrentUser keeps it to the user even then. /S
; installs silently, and the uninstaller's /S removes silently (keeping the
; settings, which it otherwise asks about).

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include LogicLib.nsh
!include FileFunc.nsh
!include MUI2.nsh

!define PRODUCT "Quorvel"
!define PUBLISHER "Corvane"
!define EXE "quorvel.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quorvel"
!define SETTINGS_KEY "Software\Corvane\Quorvel"
; The file type, as the program registers it for its user at every start.
!define FILE_CLASS "QuorvelFile"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
BrandingText "${PRODUCT} ${VERSION}"
VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "GPL-3.0-or-later"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_LICENSE "${DEPLOY}\LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\${EXE}"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Var AllUsers

Function .onInit
    SetRegView 64
    StrCpy $AllUsers 0
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/CurrentUser" $1
    ${If} ${Errors}
        UserInfo::GetAccountType
        Pop $1
        ${If} $1 == "Admin"
            StrCpy $AllUsers 1
        ${EndIf}
    ${EndIf}
    ${If} $AllUsers == 1
        ; Only the default moves; a folder given with /D stays. ($LOCALAPPDATA
        ; is the user's until the context changes.)
        ${If} $INSTDIR == "$LOCALAPPDATA\Programs\${PRODUCT}"
            StrCpy $INSTDIR "$PROGRAMFILES64\${PRODUCT}"
        ${EndIf}
        SetShellVarContext all
    ${Else}
        SetShellVarContext current
    ${EndIf}
FunctionEnd

Section "Install"
    SetOutPath "$INSTDIR"
    File /r "${DEPLOY}\*.*"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0

    ; SHCTX is HKLM for all users, HKCU for one.
    WriteRegStr SHCTX "Software\Classes\.tpx" "" "${FILE_CLASS}"
    WriteRegStr SHCTX "Software\Classes\${FILE_CLASS}" "" "Quorvel File"
    WriteRegStr SHCTX "Software\Classes\${FILE_CLASS}\DefaultIcon" "" '"$INSTDIR\${EXE}",0'
    WriteRegStr SHCTX "Software\Classes\${FILE_CLASS}\shell\open\command" "" '"$INSTDIR\${EXE}" "%1"'

    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" '"$INSTDIR\${EXE}",0'
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0

    ; Explorer picks up the new association at once.
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd

; Removes the file type from one hive's classes when it opens this
; installation's program: the installer's own, or the one the program
; registered for its user.
!macro RemoveFileType ROOT
    ReadRegStr $0 ${ROOT} "Software\Classes\${FILE_CLASS}\shell\open\command" ""
    ${If} $0 == '"$INSTDIR\${EXE}" "%1"'
        DeleteRegKey ${ROOT} "Software\Classes\${FILE_CLASS}"
        ReadRegStr $0 ${ROOT} "Software\Classes\.tpx" ""
        ${If} $0 == "${FILE_CLASS}"
            DeleteRegKey ${ROOT} "Software\Classes\.tpx"
        ${EndIf}
    ${EndIf}
!macroend

Function un.onInit
    SetRegView 64
    ; The scope it was installed for: all users when the machine's
    ; Uninstall key names this folder.
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 == $INSTDIR
        SetShellVarContext all
    ${Else}
        SetShellVarContext current
    ${EndIf}
FunctionEnd

Section "Uninstall"
    !include "${FILES}"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"

    Delete "$SMPROGRAMS\${PRODUCT}.lnk"
    !insertmacro RemoveFileType SHCTX
    !insertmacro RemoveFileType HKCU
    DeleteRegKey SHCTX "${UNINSTALL_KEY}"
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'

    ; The settings are the user's: asked about, and kept when silent.
    MessageBox MB_YESNO|MB_ICONQUESTION "Remove Quorvel's settings (hot keys, delays) as well?" /SD IDNO IDNO keep
    DeleteRegKey HKCU "${SETTINGS_KEY}"
    DeleteRegKey /ifempty HKCU "Software\${PUBLISHER}"
keep:
SectionEnd
