#pragma once
// Owners of Windows handles: move-only, each closes its handle once. These are the only
// places that call CloseHandle, FindClose, FindCloseChangeNotification, RegCloseKey,
// FreeLibrary, DeleteObject, DeleteDC, ReleaseDC and EndPaint.
#include <windows.h>

#include <utility>

template <class Handle, class Traits>
class UniqueHandleOf {
  public:
    UniqueHandleOf() = default;
    explicit UniqueHandleOf(Handle h) : m_h(h) {}
    ~UniqueHandleOf() { reset(); }
    UniqueHandleOf(UniqueHandleOf&& other) noexcept : m_h(other.release()) {}
    UniqueHandleOf& operator=(UniqueHandleOf&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    UniqueHandleOf(const UniqueHandleOf&) = delete;
    UniqueHandleOf& operator=(const UniqueHandleOf&) = delete;

    Handle get() const { return m_h; }
    explicit operator bool() const { return Traits::Valid(m_h); }
    Handle release() { return std::exchange(m_h, Traits::Invalid()); }
    void reset(Handle h = Traits::Invalid()) {
        if (Traits::Valid(m_h)) {
            Traits::Close(m_h);
        }
        m_h = h;
    }
    // For APIs that return a handle through a pointer: closes the current one first.
    Handle* put() {
        reset();
        return &m_h;
    }

  private:
    Handle m_h = Traits::Invalid();
};

namespace handle_traits {
template <class H, auto CloseFn>
struct NullInvalid {
    static H Invalid() { return nullptr; }
    static bool Valid(H h) { return h != nullptr; }
    static void Close(H h) { CloseFn(h); }
};
struct Find {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static bool Valid(HANDLE h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static void Close(HANDLE h) { ::FindClose(h); }
};
struct File {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static bool Valid(HANDLE h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static void Close(HANDLE h) { ::CloseHandle(h); }
};
struct ChangeNotification {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static bool Valid(HANDLE h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static void Close(HANDLE h) { ::FindCloseChangeNotification(h); }
};
}  // namespace handle_traits

// Kernel objects whose "none" is null (mutexes, events, threads, processes).
using UniqueHandle = UniqueHandleOf<HANDLE, handle_traits::NullInvalid<HANDLE, ::CloseHandle>>;
// Files and find handles' kin, whose "none" is INVALID_HANDLE_VALUE.
using UniqueHFile = UniqueHandleOf<HANDLE, handle_traits::File>;
// A FindFirstFileW search.
using UniqueFindHandle = UniqueHandleOf<HANDLE, handle_traits::Find>;
// A FindFirstChangeNotificationW watch.
using UniqueChangeNotification = UniqueHandleOf<HANDLE, handle_traits::ChangeNotification>;
using UniqueHKey = UniqueHandleOf<HKEY, handle_traits::NullInvalid<HKEY, ::RegCloseKey>>;
using UniqueHModule = UniqueHandleOf<HMODULE, handle_traits::NullInvalid<HMODULE, ::FreeLibrary>>;
using UniqueGdiObject =
    UniqueHandleOf<HGDIOBJ, handle_traits::NullInvalid<HGDIOBJ, ::DeleteObject>>;
using UniqueHdc = UniqueHandleOf<HDC, handle_traits::NullInvalid<HDC, ::DeleteDC>>;
using UniqueHIcon = UniqueHandleOf<HICON, handle_traits::NullInvalid<HICON, ::DestroyIcon>>;

// A window's (or the screen's, for null) device context, released at the end of scope.
class WindowDc {
  public:
    explicit WindowDc(HWND window) : m_window(window), m_dc(::GetDC(window)) {}
    ~WindowDc() {
        if (m_dc != nullptr) {
            ::ReleaseDC(m_window, m_dc);
        }
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return m_dc; }

  private:
    HWND m_window;
    HDC m_dc;
};

// BeginPaint/EndPaint for one WM_PAINT.
class PaintScope {
  public:
    explicit PaintScope(HWND window) : m_window(window) { m_dc = ::BeginPaint(window, &m_ps); }
    ~PaintScope() { ::EndPaint(m_window, &m_ps); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    HDC get() const { return m_dc; }
    const PAINTSTRUCT& paint() const { return m_ps; }

  private:
    HWND m_window;
    PAINTSTRUCT m_ps{};
    HDC m_dc = nullptr;
};

// Selects an object into a device context and puts the previous one back at scope end.
class SelectScope {
  public:
    SelectScope(HDC dc, HGDIOBJ object) : m_dc(dc), m_old(::SelectObject(dc, object)) {}
    ~SelectScope() {
        if (m_old != nullptr && m_old != HGDI_ERROR) {
            ::SelectObject(m_dc, m_old);
        }
    }
    SelectScope(const SelectScope&) = delete;
    SelectScope& operator=(const SelectScope&) = delete;

  private:
    HDC m_dc;
    HGDIOBJ m_old;
};
