#include "app/sibling_win.h"

#include <string>

void TellSibling(HWND sender, std::u16string_view text) {
    HWND sibling = FindWindowW(L"kasoruzoe", nullptr);
    if (sibling == nullptr) {
        return;
    }
    const std::u16string copy(text);  // with its terminator
    COPYDATASTRUCT data{};
    data.dwData = kSiblingDataKind;
    data.cbData = static_cast<DWORD>((copy.size() + 1) * sizeof(char16_t));
    data.lpData = const_cast<char16_t*>(copy.c_str());
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(sibling, WM_COPYDATA, reinterpret_cast<WPARAM>(sender),
                        reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG | SMTO_BLOCK,
                        kSiblingTimeoutMs, &answer);
}
