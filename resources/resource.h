#pragma once
// Resource ids of the program's own file.
#define IDI_PROGRAM 1
#define IDR_APPMENU 133
#define IDD_LOGVIEWER 136
#define IDD_ALARM 137
#define IDC_LOG_TEXT 1012
#define IDC_DELETE_LOG 1004
