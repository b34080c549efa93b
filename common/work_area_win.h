#pragma once
// Work areas of the monitors, with a defined answer when the system gives none: a window
// is never placed from a rectangle that was not filled in.
#include <windows.h>

// The two calls that can fail; tests put failing ones in their place.
struct MonitorApi {
    BOOL(WINAPI* getMonitorInfo)(HMONITOR, LPMONITORINFO) = ::GetMonitorInfoW;
    BOOL(WINAPI* systemParametersInfo)(UINT, UINT, PVOID, UINT) = ::SystemParametersInfoW;
};

// The primary monitor's work area: SPI_GETWORKAREA, else the primary monitor's rcWork,
// else the whole primary screen.
RECT PrimaryWorkArea(const MonitorApi& api = {});

// The work area of monitor into work; false when the monitor is null or gives none.
bool MonitorWorkArea(HMONITOR monitor, RECT& work, const MonitorApi& api = {});
