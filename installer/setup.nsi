; ヨミトキ's setup program: installs the program, its plug-ins, the help file and the Firefox
; helper for the current user only (no administrator rights), with Start-menu shortcuts and an
; entry in "Apps" whose uninstaller removes all of it again.
;
; Defined on the makensis command line (see CMakeLists.txt):
;   VERSION          the version as the program's version box shows it ("1.67")
;   VERSION_NUMBERS  the version record's four numbers ("1.6.7.0")
;   FILES            the folder with the files a user gets (tools/dist stage)
;   ICON             the program's icon
;   WIZARD_BITMAP    the picture on the welcome and finish pages (164 x 314)
;   OUTFILE          the setup program to write
;
; Command line for administrators:
;   setup.exe /S [/D=<folder>]           installs without questions (/D last, no quotes)
;   uninstall.exe /S [/DELETERECORDS]    removes it without questions; /DELETERECORDS also
;                                        removes the records and settings
; Exit code 0 when done, 2 when stopped because ヨミトキ runs or one of its files is in use.

Unicode true
; The stub must be 64-bit: the program is, and a 32-bit stub would write the uninstall entry
; and the helper's registration through the registry's 32-bit view on 64-bit Windows.
Target amd64-unicode
RequestExecutionLevel user
ManifestDPIAware true
ManifestSupportedOS all
SetCompressor /SOLID lzma

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh
!include nsDialogs.nsh
!include WinMessages.nsh

!define PRODUCT "ヨミトキ"
!define PUBLISHER "Torvenal"
!define UNINSTALL_KEY_PARENT "Software\Microsoft\Windows\CurrentVersion\Uninstall"
!define UNINSTALL_KEY "${UNINSTALL_KEY_PARENT}\Yomitoki"
; The program's records and settings (its settings key and the Log and Rank keys below it).
!define RECORDS_KEY "Software\Torvenal\Yomitoki"
!define RECORDS_PARENT_KEY "Software\Torvenal"
; Where the Firefox helper registers itself (ymthelp.exe --install creates the key).
!define HELPER_KEY_PARENT "Software\Mozilla\NativeMessagingHosts"
; The running program's main window class, and its single-instance mutex of the same name.
!define MAIN_CLASS "ytm_tan_ee"
; The logon shortcut the program makes in the user's Startup folder.
!define LOGON_SHORTCUT "$SMSTARTUP\${PRODUCT}.lnk"
!define PROGRAM_SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"
!define HELP_SHORTCUT "$SMPROGRAMS\${PRODUCT} ヘルプ.lnk"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
; An upgrade goes where the earlier version is.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION_NUMBERS}"
VIFileVersion "${VERSION_NUMBERS}"

; ---- Pages ----

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${WIZARD_BITMAP}"
!define MUI_UNWELCOMEFINISHPAGE_BITMAP "${WIZARD_BITMAP}"
!define MUI_ABORTWARNING
!define MUI_UNABORTWARNING

!define MUI_WELCOMEPAGE_TEXT "ヨミトキ ${VERSION} をこのコンピューターにインストールします。$\r$\n$\r$\nインストールには管理者の権限は要りません。ヨミトキは、このユーザーだけが使えるようになります。$\r$\n$\r$\n前のバージョンがインストールされている場合は、閲覧時間の記録と設定をそのまま引き継いで、プログラムだけを新しくします。$\r$\n$\r$\n$_CLICK"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${FILES}\LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\ymt.exe"
!define MUI_FINISHPAGE_RUN_TEXT "ヨミトキを起動する(&R)"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\はじめにお読みください.txt"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "「はじめにお読みください」を開く(&O)"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_FINISH

UninstPage custom un.ConfirmPage un.ConfirmPageLeave
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "Japanese"

VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileDescription" "${PRODUCT} セットアップ"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileVersion" "${VERSION_NUMBERS}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "LegalCopyright" "Copyright (C) 2026 ${PUBLISHER}"

; ---- The files ----

; Every file the setup program puts into the program's folder, once: installing, the check
; for files in use and the removal all go through this list.
!macro ForEachFile DO
  !insertmacro ${DO} "ymt.exe"
  !insertmacro ${DO} "ymthinata.dll"
  !insertmacro ${DO} "ymttsubaki.dll"
  !insertmacro ${DO} "ymtsazanka.dll"
  !insertmacro ${DO} "ymtvoice.dll"
  !insertmacro ${DO} "ymt.chm"
  !insertmacro ${DO} "ymthelp.exe"
  !insertmacro ${DO} "ymthelp.xpi"
  !insertmacro ${DO} "はじめにお読みください.txt"
  !insertmacro ${DO} "Firefoxヘルパーの使い方.txt"
  !insertmacro ${DO} "LICENSE.txt"
  !insertmacro ${DO} "CREDITS.txt"
!macroend

!macro PutFile NAME
  File "${FILES}\${NAME}"
!macroend

!macro RemoveFile NAME
  Delete "$INSTDIR\${NAME}"
!macroend

; Sets $R1 to NAME when the file is there but cannot be opened for writing: Windows refuses
; that for a program or library that is running (ymthelp.exe while Firefox uses it).
!macro FindFileInUse NAME
  ${If} $R1 == ""
  ${AndIf} ${FileExists} "$INSTDIR\${NAME}"
    ClearErrors
    FileOpen $R2 "$INSTDIR\${NAME}" a
    ${If} ${Errors}
      StrCpy $R1 "${NAME}"
    ${Else}
      FileClose $R2
    ${EndIf}
  ${EndIf}
!macroend

; Files are replaced or removed only when none of them is in use, so that nothing is left
; half replaced: a running ヨミトキ is asked to be ended first (found by its window, or by
; its mutex while it starts or shows a question before its window exists). Cancel stops the
; whole run with exit code 2; in silent mode that is the answer.
!macro DefineEnsureNothingInUse UN
Function ${UN}EnsureNothingInUse
  Push $R0
  Push $R1
  Push $R2
  check:
    FindWindow $R0 "${MAIN_CLASS}"
    ${If} $R0 P= 0
      System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${MAIN_CLASS}") p .R0'
      ${If} $R0 P<> 0
        System::Call 'kernel32::CloseHandle(p R0)'
      ${EndIf}
    ${EndIf}
    ${If} $R0 P<> 0
      DetailPrint "ヨミトキが起動しています。"
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "ヨミトキが起動しています。$\r$\n$\r$\nタスクトレイのヨミトキのアイコンを右クリックして［終了］を選び、ヨミトキを終了してから［再試行］を押してください。" /SD IDCANCEL IDRETRY check
      Goto stop
    ${EndIf}
    StrCpy $R1 ""
    !insertmacro ForEachFile FindFileInUse
    ${If} $R1 != ""
      DetailPrint "$R1 が使用中です。"
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$INSTDIR\$R1 が使用中です。$\r$\n$\r$\nFirefox やヘルプなど、このファイルを使っているプログラムを終了してから［再試行］を押してください。" /SD IDCANCEL IDRETRY check
      Goto stop
    ${EndIf}
  Pop $R2
  Pop $R1
  Pop $R0
  Return
  stop:
    DetailPrint "中止しました。ファイルは変更していません。"
    SetErrorLevel 2
    Abort
FunctionEnd
!macroend
!insertmacro DefineEnsureNothingInUse ""
!insertmacro DefineEnsureNothingInUse "un."

; ---- Install ----

Section
  Call EnsureNothingInUse
  SetOutPath "$INSTDIR"
  !insertmacro ForEachFile PutFile
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortcut "${PROGRAM_SHORTCUT}" "$INSTDIR\ymt.exe"
  CreateShortcut "${HELP_SHORTCUT}" "$INSTDIR\ymt.chm"

  ; The Firefox helper registers itself. Without it only Firefox goes uncounted: the
  ; install goes on, and the user is told how to try again.
  ClearErrors
  ExecWait '"$INSTDIR\ymthelp.exe" --install --quiet' $0
  ${If} ${Errors}
  ${OrIf} $0 != 0
    DetailPrint "Firefox 用の補助プログラムを登録できませんでした。"
    MessageBox MB_OK|MB_ICONEXCLAMATION "Firefox 用の補助プログラムを登録できませんでした。$\r$\nヨミトキはそのまま使えますが、Firefox で読んだ時間は数えられません。$\r$\n$\r$\nあとで登録するには、$INSTDIR\ymthelp.exe をダブルクリックしてください。" /SD IDOK
  ${EndIf}

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\ymt.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; ---- Uninstall ----

Var DeleteRecords
Var DeleteRecordsBox

Function un.onInit
  StrCpy $DeleteRecords 0
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/DELETERECORDS" $1
  ${IfNot} ${Errors}
    StrCpy $DeleteRecords 1
  ${EndIf}
FunctionEnd

Function un.ConfirmPage
  !insertmacro MUI_HEADER_TEXT "${PRODUCT} のアンインストール" "${PRODUCT} をこのコンピューターから削除します。"
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateLabel} 0 0 100% 20u "ヨミトキを次のフォルダーから削除します。ヨミトキが起動している場合は、先に終了してください。"
  Pop $0
  ${NSD_CreateText} 0 24u 100% 12u "$INSTDIR"
  Pop $0
  SendMessage $0 ${EM_SETREADONLY} 1 0
  ${NSD_CreateLabel} 0 50u 100% 30u "閲覧時間の記録（閲覧ログと記事ランキング）と設定は、もう一度インストールしたときのために残します。これらも削除する場合は、次の項目にチェックを付けてください。"
  Pop $0
  ${NSD_CreateCheckbox} 0 84u 100% 12u "記録と設定も削除する(&D)"
  Pop $DeleteRecordsBox
  ${If} $DeleteRecords == 1
    ${NSD_Check} $DeleteRecordsBox
  ${EndIf}
  ; Short: the language file's label is in half-width kana, the full-width word is too wide.
  GetDlgItem $0 $HWNDPARENT 1
  SendMessage $0 ${WM_SETTEXT} 0 "STR:削除(&U)"
  nsDialogs::Show
FunctionEnd

Function un.ConfirmPageLeave
  ${NSD_GetState} $DeleteRecordsBox $0
  ${If} $0 == ${BST_CHECKED}
    StrCpy $DeleteRecords 1
  ${Else}
    StrCpy $DeleteRecords 0
  ${EndIf}
FunctionEnd

Section "Uninstall"
  Call un.EnsureNothingInUse

  ${If} ${FileExists} "$INSTDIR\ymthelp.exe"
    ClearErrors
    ExecWait '"$INSTDIR\ymthelp.exe" --uninstall --quiet' $0
    ${If} ${Errors}
    ${OrIf} $0 != 0
      DetailPrint "Firefox 用の補助プログラムの登録を解除できませんでした。"
      MessageBox MB_OK|MB_ICONEXCLAMATION "Firefox 用の補助プログラムの登録を解除できませんでした。$\r$\nアンインストールは続けます。" /SD IDOK
    ${EndIf}
  ${EndIf}
  ; The helper's key was the only thing in these unless Firefox or another program put more.
  DeleteRegKey /ifempty HKCU "${HELPER_KEY_PARENT}"
  DeleteRegKey /ifempty HKCU "Software\Mozilla"

  !insertmacro ForEachFile RemoveFile
  ; Written by the helper's registration, beside it.
  Delete "$INSTDIR\ymthelp.json"
  Delete "$INSTDIR\uninstall.exe"
  ; Only when empty: the user may have put files of their own there. The per-user programs
  ; folder too, which the first such install makes.
  RMDir "$INSTDIR"
  RMDir "$LOCALAPPDATA\Programs"

  Delete "${PROGRAM_SHORTCUT}"
  Delete "${HELP_SHORTCUT}"
  Delete "${LOGON_SHORTCUT}"

  ${If} $DeleteRecords == 1
    DeleteRegKey HKCU "${RECORDS_KEY}"
    DeleteRegKey /ifempty HKCU "${RECORDS_PARENT_KEY}"
    DetailPrint "記録と設定を削除しました。"
  ${EndIf}
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ; Made by the install when this was the user's first per-user program.
  DeleteRegKey /ifempty HKCU "${UNINSTALL_KEY_PARENT}"
SectionEnd
