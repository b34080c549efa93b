#pragma once
// What the program asks of the system about itself and the time: one place each.
#include <windows.h>

#include <string>

#include "common/local_time.h"

// The program's name, as the caption of its message boxes and the title of its windows.
inline constexpr wchar_t kProgramName[] = L"ヨミトキ";

// The local time now (GetLocalTime), as the program counts days and hours.
LocalTime LocalNow();

// The running program file's full path, however long; empty when it cannot be had.
std::wstring ProgramPath();
