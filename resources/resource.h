#pragma once
// Every resource and command id of the program and its plug-ins: the resource scripts and
// the C++ both take them from here. Plain macros, so that the resource compiler reads them.

// The program's own file.
#define IDI_PROGRAM 1
#define IDR_APPMENU 133
#define IDD_LOGVIEWER 136
#define IDD_ALARM 137

// The character's pictures (of the type named "RT_RCDATA"): the balloon here, the poses
// (138-160) in the edition plug-ins. Each is also drawn at twice the size, for displays at
// 200 % and (scaled down) those between, under its id plus IDR_DOUBLE_SIZE_OFFSET; a
// program or plug-in without them still works with the other.
#define IDR_BALLOON_PICTURE 149
#define IDR_DOUBLE_SIZE_OFFSET 1000
#define IDR_BALLOON_PICTURE_2X (IDR_DOUBLE_SIZE_OFFSET + IDR_BALLOON_PICTURE)

// The log viewer's controls.
#define IDC_LOG_TEXT 1012
#define IDC_DELETE_LOG 1004

// The alarm dialog's fields, alarm by alarm: enabled, hour, minute, message.
#define IDC_ALARM1_HOUR 1000
#define IDC_ALARM1_ENABLED 1001
#define IDC_ALARM1_MINUTE 1002
#define IDC_ALARM1_MESSAGE 1003
#define IDC_ALARM2_ENABLED 1004
#define IDC_ALARM2_HOUR 1005
#define IDC_ALARM2_MINUTE 1006
#define IDC_ALARM2_MESSAGE 1007
#define IDC_ALARM3_ENABLED 1008
#define IDC_ALARM3_HOUR 1009
#define IDC_ALARM3_MINUTE 1010
#define IDC_ALARM3_MESSAGE 1011

// Commands of the context menu and the balloon's command list.
#define IDM_EXIT 2          // IDCANCEL's number, kept by the menu
#define IDM_QUICK_CANCEL 3  // the command list's キャンセル: no command
#define IDM_VERSION 32771
#define IDM_LOG_WEEK 32772
#define IDM_HELP 32774
#define IDM_LOG_MONTH 32775
#define IDM_NOTIFY_FINISH 32776
#define IDM_NOTIFY_TIME 32777
#define IDM_NOTIFY_HOUR 32778
#define IDM_ALARM 32779
#define IDM_LOG_YEAR 32780
#define IDM_RANKING_ENABLED 32781
#define IDM_RANKING 32782
#define IDM_VOICE 32784
#define IDM_EDITION_HINATA 32789  // the three editions in SelEdition's order 0, 1, 2
#define IDM_EDITION_TSUBAKI 32790
#define IDM_EDITION_SAZANKA 32791
#define IDM_RESET_POSITION 32793
#define IDM_STARTUP_SHORTCUT 32795

// The plug-ins' resources: edition strings and icons (edition plug-ins).
#define IDS_EDITION_TITLE 101
#define IDS_EDITION_LABEL 102
#define IDI_EDITION 130
#define IDI_VIEWING 134
#define IDI_IDLE 135
