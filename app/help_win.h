#pragma once
#include <windows.h>

// Opens the help file's start page (".\ymt.chm", beside the program) through the HTML Help
// control. When the control cannot be had, does nothing, now and for the rest of the run.
void ShowHelp(HWND owner);
