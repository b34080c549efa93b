#pragma once
// The sibling program's window (class "kasoruzoe") shows the reading state it is sent.
#include <windows.h>

#include <string_view>

inline constexpr ULONG_PTR kSiblingDataKind = 102414;  // 0x1900E
// A sibling that does not answer within this time is passed over: a hung sibling must not
// freeze the program. While waiting, no sent message of another thread is handled here
// (SMTO_BLOCK), so nothing runs inside the tick that is telling the sibling.
inline constexpr UINT kSiblingTimeoutMs = 250;

// Sends text (with its terminator) by WM_COPYDATA to the first top-level "kasoruzoe" window,
// if there is one; nothing is expected back.
void TellSibling(HWND sender, std::u16string_view text);
