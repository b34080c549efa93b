#pragma once
// Window and dialog procedures behind the program's exception boundary (common/boundary.h):
// the system calls these, and they call the handler, whose exception ends here. A window
// procedure that failed answers 0, a dialog procedure FALSE ("not handled").
#include <windows.h>

#include "common/boundary.h"

template <LRESULT (*Handle)(HWND, UINT, WPARAM, LPARAM)>
LRESULT CALLBACK WindowProcAtBoundary(HWND window, UINT message, WPARAM wParam,
                                      LPARAM lParam) noexcept {
    return CatchAtBoundary<LRESULT>(0, [&] { return Handle(window, message, wParam, lParam); });
}

template <INT_PTR (*Handle)(HWND, UINT, WPARAM, LPARAM)>
INT_PTR CALLBACK DialogProcAtBoundary(HWND dialog, UINT message, WPARAM wParam,
                                      LPARAM lParam) noexcept {
    return CatchAtBoundary<INT_PTR>(FALSE, [&] { return Handle(dialog, message, wParam, lParam); });
}
