#include "character/dpi_win.h"

#include <shellscalingapi.h>

#include "common/handles_win.h"

namespace {

// A function of user32 that older Windows 10 lacks, or null.
template <class Function>
Function User32Function(const char* name) {
    static HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 != nullptr
               ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name)))
               : nullptr;
}

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using SetThreadDpiAwarenessContextFunction = DPI_AWARENESS_CONTEXT(WINAPI*)(DPI_AWARENESS_CONTEXT);

// The calling thread without DPI awareness while it lives, when the system can switch.
class UnawareThreadScope {
  public:
    UnawareThreadScope() {
        static const auto set =
            User32Function<SetThreadDpiAwarenessContextFunction>("SetThreadDpiAwarenessContext");
        m_set = set;
        if (m_set != nullptr) {
            m_previous = m_set(DPI_AWARENESS_CONTEXT_UNAWARE);
        }
    }
    ~UnawareThreadScope() {
        if (m_previous != nullptr) {
            m_set(m_previous);
        }
    }
    UnawareThreadScope(const UnawareThreadScope&) = delete;
    UnawareThreadScope& operator=(const UnawareThreadScope&) = delete;
    bool Switched() const { return m_previous != nullptr; }

  private:
    SetThreadDpiAwarenessContextFunction m_set = nullptr;
    DPI_AWARENESS_CONTEXT m_previous = nullptr;
};

PixelRect ToPixelRect(const RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}

BOOL CALLBACK CollectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    static_cast<std::vector<HMONITOR>*>(reinterpret_cast<void*>(data))->push_back(monitor);
    return TRUE;
}

std::vector<HMONITOR> Monitors() {
    std::vector<HMONITOR> monitors;
    monitors.reserve(8);  // so that the callback does not allocate for a usual desk
    EnumDisplayMonitors(nullptr, nullptr, CollectMonitor,
                        reinterpret_cast<LPARAM>(static_cast<void*>(&monitors)));
    return monitors;
}

}  // namespace

int WindowDpi(HWND window) {
    static const auto get = User32Function<GetDpiForWindowFunction>("GetDpiForWindow");
    if (get != nullptr && window != nullptr) {
        if (const UINT dpi = get(window); dpi != 0) {
            return static_cast<int>(dpi);
        }
    }
    return MonitorDpi(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST));
}

int MonitorDpi(HMONITOR monitor) {
    UINT x = 0;
    UINT y = 0;
    if (monitor != nullptr && SUCCEEDED(GetDpiForMonitor(monitor, MDT_EFFECTIVE_DPI, &x, &y)) &&
        y != 0) {
        return static_cast<int>(y);
    }
    return SystemDpi();
}

int SystemDpi() {
    WindowDc screen(nullptr);
    const int dpi = screen.get() != nullptr ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
    return dpi > 0 ? dpi : kBaseDpi;
}

std::vector<MonitorSpaces> EnumerateMonitorSpaces() {
    std::vector<MonitorSpaces> spaces;
    std::vector<HMONITOR> known;
    for (HMONITOR monitor : Monitors()) {
        MONITORINFO info{};
        info.cbSize = sizeof info;
        if (GetMonitorInfoW(monitor, &info)) {
            const PixelRect physical = ToPixelRect(info.rcMonitor);
            spaces.push_back({physical, physical, MonitorDpi(monitor)});
            known.push_back(monitor);
        }
    }
    UnawareThreadScope unaware;
    if (unaware.Switched()) {
        // The same monitors (their handles do not change), as the system shows them to a
        // program without DPI awareness.
        for (size_t i = 0; i < known.size(); ++i) {
            MONITORINFO info{};
            info.cbSize = sizeof info;
            if (GetMonitorInfoW(known[i], &info)) {
                spaces[i].unaware = ToPixelRect(info.rcMonitor);
            }
        }
        return spaces;
    }
    // Without per-monitor awareness every length on the desktop scales by the system DPI
    // from the origin.
    const MonitorSpaces desktop{{}, {}, SystemDpi()};
    for (MonitorSpaces& m : spaces) {
        const PixelPoint topLeft = PhysicalToUnaware({m.physical.left, m.physical.top}, desktop);
        const PixelPoint bottomRight =
            PhysicalToUnaware({m.physical.right, m.physical.bottom}, desktop);
        m.unaware = {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
        m.dpi = desktop.dpi;
    }
    return spaces;
}
