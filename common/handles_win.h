#pragma once
// Owners of Windows handles and COM resources: move-only, each lets go of its resource
// once. These are the only places that call CloseHandle, FindClose,
// FindCloseChangeNotification, RegCloseKey, FreeLibrary, DeleteObject, DeleteDC, ReleaseDC,
// EndPaint, DestroyMenu, IUnknown::Release, SysFreeString, VariantClear, CoTaskMemFree and
// CoUninitialize.
#include <windows.h>

#include <objbase.h>
#include <oleauto.h>

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
// Typed GDI objects, so that no caller casts an untyped handle back.
using UniqueHFont = UniqueHandleOf<HFONT, handle_traits::NullInvalid<HFONT, ::DeleteObject>>;
using UniqueHBitmap = UniqueHandleOf<HBITMAP, handle_traits::NullInvalid<HBITMAP, ::DeleteObject>>;
using UniqueHMenu = UniqueHandleOf<HMENU, handle_traits::NullInvalid<HMENU, ::DestroyMenu>>;
using UniqueBstr = UniqueHandleOf<BSTR, handle_traits::NullInvalid<BSTR, ::SysFreeString>>;
// Memory the shell or COM allocated with CoTaskMemAlloc (an item id list, say).
template <class T>
using UniqueCoTaskMem = UniqueHandleOf<T*, handle_traits::NullInvalid<T*, ::CoTaskMemFree>>;
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

// One reference to a COM interface (after WRL's ComPtr), released at the end of scope.
template <class T>
class ComPtr {
  public:
    ComPtr() = default;
    ~ComPtr() { reset(); }
    ComPtr(ComPtr&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            reset();
            m_p = std::exchange(other.m_p, nullptr);
        }
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    T* get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    // Another owner of the same object (one more reference).
    ComPtr Share() const {
        ComPtr other;
        if (m_p != nullptr) {
            m_p->AddRef();
            other.m_p = m_p;
        }
        return other;
    }
    void reset() {
        if (m_p != nullptr) {
            std::exchange(m_p, nullptr)->Release();
        }
    }
    // For APIs that hand out a reference through a pointer: lets go of the current one first.
    T** put() {
        reset();
        return &m_p;
    }
    void** put_void() { return reinterpret_cast<void**>(put()); }

  private:
    T* m_p = nullptr;
};

// A VARIANT, cleared at the end of scope.
class UniqueVariant {
  public:
    UniqueVariant() { ::VariantInit(&m_v); }
    ~UniqueVariant() { ::VariantClear(&m_v); }
    UniqueVariant(const UniqueVariant&) = delete;
    UniqueVariant& operator=(const UniqueVariant&) = delete;
    VARIANT* get() { return &m_v; }
    const VARIANT& operator*() const { return m_v; }
    VARIANT* put() {
        ::VariantClear(&m_v);
        return &m_v;
    }

  private:
    VARIANT m_v;
};

// COM for this thread from construction to destruction (after WIL's
// unique_couninitialize_call). Declared before anything that holds a COM object, so that
// every object is released before COM goes.
class CoInitScope {
  public:
    explicit CoInitScope(DWORD model = COINIT_APARTMENTTHREADED)
        : m_initialised(SUCCEEDED(::CoInitializeEx(nullptr, model))) {}
    ~CoInitScope() {
        if (m_initialised) {
            ::CoUninitialize();
        }
    }
    CoInitScope(const CoInitScope&) = delete;
    CoInitScope& operator=(const CoInitScope&) = delete;
    bool initialised() const { return m_initialised; }

  private:
    bool m_initialised;
};
