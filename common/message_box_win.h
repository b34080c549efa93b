#pragma once
// Every message box of the program goes through here, so that tests can record them
// instead of blocking on a modal box.
#include <windows.h>

#include <functional>
#include <string>

// Shows a message box (MessageBoxW) and returns its answer (IDOK, IDYES, ...).
int ShowMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);

struct RecordedMessageBox {
    HWND owner;
    std::wstring text;
    std::wstring caption;
    UINT type;
};

// While set, message boxes are handed to the hook instead of shown; it returns the answer.
// Pass an empty function to show them again.
void SetMessageBoxHookForTesting(std::function<int(const RecordedMessageBox&)> hook);
