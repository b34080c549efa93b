#pragma once
// Speech timers (and the tick) are window timers of the main window: every caller of Speak
// starts them through this port, so that they all land on the same window the same way.
#include <windows.h>

#include "character/speech.h"

class WindowTimers : public TimerPort {
  public:
    // During the main window's creation message the app passes the handle it was given;
    // the timers work from that moment on.
    explicit WindowTimers(HWND window) : m_window(window) {}
    void StartTimer(uint32_t id, uint32_t periodMs) override {
        // Restarting an id that runs replaces it, as SetTimer does.
        ::SetTimer(m_window, id, periodMs, nullptr);
    }
    void StopTimer(uint32_t id) override { ::KillTimer(m_window, id); }
    HWND Window() const { return m_window; }

  private:
    HWND m_window;
};
