#include "common/message_box_win.h"

#include <utility>

namespace {
std::function<int(const RecordedMessageBox&)>& Hook() {
    static std::function<int(const RecordedMessageBox&)> hook;
    return hook;
}
}  // namespace

int ShowMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
    if (Hook()) {
        return Hook()(RecordedMessageBox{owner, text != nullptr ? text : L"",
                                         caption != nullptr ? caption : L"", type});
    }
    return MessageBoxW(owner, text, caption, type);
}

void SetMessageBoxHookForTesting(std::function<int(const RecordedMessageBox&)> hook) {
    Hook() = std::move(hook);
}
