#pragma once
// What the system says about display scale. The program declares per-monitor awareness
// (version 2 from Windows 10 1703, the system DPI before): every window is laid out by the
// program for its monitor's DPI, nothing is stretched by the system. Functions that older
// Windows 10 lacks are looked up at run time, with the system DPI as the answer without them.
//
// Wine (8.0) differs: it knows no per-monitor v2 context and runs every program per-monitor
// aware (v1) whatever its manifest says, and gives every monitor the one DPI of
// HKCU\Control Panel\Desktop\LogPixels, so it never sends WM_DPICHANGED. The code follows
// Windows' documented behaviour; the tests reach a move between scales by calling its
// handler with what Windows sends.
#include <windows.h>

#include <vector>

#include "character/dpi_scale.h"

// The DPI the system lays the window out for (GetDpiForWindow), else its monitor's.
int WindowDpi(HWND window);
// The DPI of a monitor as the program sees it (the system DPI when the program runs
// system-aware); the system DPI for a null monitor.
int MonitorDpi(HMONITOR monitor);
// The system DPI: the primary display's at log-on, the one of the notification area.
int SystemDpi();

// Every monitor in the program's pixels and as a program without DPI awareness sees it.
// The second comes from the system itself, asked from a thread switched to DPI unawareness;
// where the system cannot switch (before Windows 10 1607, when the program runs
// system-aware), the whole desktop is scaled by the system DPI, as for such programs.
std::vector<MonitorSpaces> EnumerateMonitorSpaces();
