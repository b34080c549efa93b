#include "common/work_area_win.h"

bool MonitorWorkArea(HMONITOR monitor, RECT& work, const MonitorApi& api) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (monitor == nullptr || !api.getMonitorInfo(monitor, &info)) {
        return false;
    }
    work = info.rcWork;
    return true;
}

RECT PrimaryWorkArea(const MonitorApi& api) {
    RECT work{};
    if (api.systemParametersInfo(SPI_GETWORKAREA, 0, &work, 0)) {
        return work;
    }
    if (MonitorWorkArea(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), work, api)) {
        return work;
    }
    return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}
