// Loaded into the program by a hook the tray test sets: Wine lets only a menu's own process
// read it, so the probe reads the open context menu there. Sent kProbeMessage with a command
// id, it leaves that item's GetMenuState, plus one, in the menu window's kProbeProperty.
#include <windows.h>

extern "C" __declspec(dllexport) LRESULT CALLBACK
    ProbeMenu(int code, WPARAM wParam, LPARAM lParam) {
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && sent->message == RegisterWindowMessageW(L"ymt_e2e_probe")) {
        const auto menu = reinterpret_cast<HMENU>(SendMessageW(sent->hwnd, MN_GETHMENU, 0, 0));
        const UINT state = GetMenuState(menu, static_cast<UINT>(sent->wParam), MF_BYCOMMAND);
        SetPropW(sent->hwnd, L"ymt_e2e_state", reinterpret_cast<HANDLE>(ULONG_PTR{state} + 1));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
