#pragma once
// The viewing clock's view of the world: the browser readers, the tray, the sibling
// window, the ranking and the daily log, and the local time.
#include "app/app_win.h"

std::unique_ptr<ClockPorts> MakeClockPorts(App& app);
