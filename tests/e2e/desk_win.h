#pragma once
// The test desk: plays the user's desktop around a running ymt.exe. Browser-like windows, the
// sibling "kasoruzoe" window and the notification area live on a UI thread of their own that pumps
// messages, so the program's messages to them are answered while a test waits. The program runs
// from a fresh folder, always under libfaketime at a fixed instant, never at the real hour.
#include <windows.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace e2e {

using namespace std::chrono_literals;

// Polls until ready() or the timeout; true when ready.
bool WaitUntil(const std::function<bool()>& ready, std::chrono::milliseconds timeout);

// A thread with a message loop; Call runs work on it and waits.
class UiThread {
  public:
    UiThread();
    ~UiThread();
    void Call(const std::function<void()>& work);
    // Blocks the thread for a while: its windows stop answering (a hung program).
    void Hang(std::chrono::milliseconds howLong);

  private:
    std::thread m_thread;
    HWND m_window = nullptr;
};

// A top-level window of a class of the desk's that records each WM_COPYDATA: the sibling's
// ("kasoruzoe"), or the notification area's ("Shell_TrayWnd": Wine's shell32 hands the shell every
// Shell_NotifyIconW as WM_COPYDATA to the first such window, the message in dwData).
class Recorder {
  public:
    Recorder(UiThread& ui, const wchar_t* className);
    ~Recorder();
    // The sibling's status texts.
    std::vector<std::u16string> Texts() const;
    // The seconds after label ("連続[" or "本日[") in the last status text; -1 without one.
    int Seconds(const std::u16string& label) const;
    // The tray calls of one message (NIM_ADD, NIM_MODIFY, NIM_DELETE): NIF_* flags and tips.
    std::vector<std::pair<UINT, std::u16string>> TrayCalls(DWORD message) const;

  private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
    UiThread& m_ui;
    HWND m_window = nullptr;
    mutable std::mutex m_mutex;
    std::vector<std::pair<ULONG_PTR, std::string>> m_records;
};

// An Internet Explorer window showing address; returns its address bar. It ends with ui.
HWND OpenBrowser(UiThread& ui, const std::wstring& address);
inline void Navigate(UiThread& ui, HWND bar, const std::wstring& address) {
    ui.Call([&] { SetWindowTextW(bar, address.c_str()); });
}
inline const std::wstring kArticleAddress = L"http://ja.wikipedia.org/wiki/%E7%8C%AB";  // 猫

// The program in a fresh folder of its own, with its plug-ins and help file.
struct Launch {
    std::string fakeTime = "2026-12-06 10:00:00";  // libfaketime's start instant
    std::wstring exe = L"ymt.exe";  // the file of the tests' folder started in its place
    std::wstring arguments;
    // Runs on the program's folder after the files are copied, before the start.
    std::function<void(const std::wstring& folder)> prepare;
};

// Client points (96 DPI) where the command list's labels start in the balloon.
inline constexpr POINT kWeekLog{33, 85}, kRanking{124, 98}, kHourlyChime{33, 148}, kVoice{33, 172},
    kAlarms{33, 196}, kVersion{33, 208}, kExit{124, 208}, kCancel{33, 226};

class Program {
  public:
    explicit Program(Launch launch = {});
    ~Program();  // logs off a program still running, ends it, and removes its folder
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Waits for the main window and, with skipGreeting, clicks the greeting away.
    bool Up(bool skipGreeting = true);
    HWND Main() const { return FindWindowW(L"ytm_tan_ee", nullptr); }
    const std::wstring& Folder() const { return m_folder; }
    std::chrono::steady_clock::time_point Started() const { return m_started; }
    // Follows the process that owns a window (a box shown before any main window).
    void Adopt(HWND window) { GetWindowThreadProcessId(window, &m_processId); }
    bool Running() const;
    bool WaitForExit(std::chrono::milliseconds timeout = 20s) const;
    // Ends it as a log-off does; empty when it agreed and ended at once, or what went wrong.
    std::string LogOff();
    // Starts another copy from the same folder, at another instant.
    void StartAnotherCopy(const std::string& fakeTime) const;

    // A tray icon callback as the shell posts it (mouse: the mouse message).
    void PostTray(UINT mouse) const { PostMessageW(Main(), WM_USER, 5458, mouse); }
    void RestartTaskbar() const {  // as a new taskbar tells every window
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(Main(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0,
                            SMTO_ABORTIFHUNG, 5000, &ignored);
    }
    void Click(int x,
               int y) const {  // client point of the main window and its balloon
        PostMessageW(Main(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    }
    // Waits until the character is shown (a speech runs) or hidden (silent).
    bool Shown(bool shown, std::chrono::milliseconds timeout) const;
    // Opens the command list from the tray (once silent) and waits until it stands.
    bool OpenCommandList() const;
    void Choose(POINT item, int dpi = 96) const {
        Click(MulDiv(item.x + 4, dpi, 96), MulDiv(item.y + 5, dpi, 96));
    }

  private:
    Launch m_launch;
    std::wstring m_folder;
    std::chrono::steady_clock::time_point m_started;
    DWORD m_processId = 0;
};

// Runs a shell command line as a Unix program and returns its standard output once it has ended;
// nullopt on timeout. The command may not contain double quotes.
std::optional<std::string> RunShell(const std::wstring& command);
inline std::wstring Widen(const std::string& s) {
    return std::wstring(s.begin(), s.end());
}
// This program's folder, where the program, its plug-ins and the helper are built.
std::wstring TestsFolder();

// A shown message box or dialog (#32770) whose title or static text contains part; null on timeout.
HWND WaitForBox(const std::wstring& part, std::chrono::milliseconds timeout = 10s);
inline bool WaitForGone(HWND window) {
    return WaitUntil([&] { return !IsWindow(window); }, 10s);
}
std::wstring WindowText(HWND window);
std::wstring BoxText(HWND box);  // its static texts
// Presses a button of a dialog or message box by its id (IDOK, IDYES, ...).
inline void PressButton(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}
inline RECT WindowRect(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

// The registry values the program keeps (under HKCU\Software\Torvenal\Yomitoki\CurrentVersion).
inline void DeleteProgramKey() {
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Torvenal");
}
std::optional<uint32_t> ReadNumber(const std::wstring& subkey, const std::wstring& name);
void WriteNumber(const std::wstring& subkey, const std::wstring& name, uint32_t value);

// A screenshot of the whole virtual display (ImageMagick's import, run as a Unix program).
struct Screenshot {
    int width = 0;
    int height = 0;
    std::string rgb;                   // 3 bytes a pixel, top row first
    uint32_t At(int x, int y) const {  // 0xRRGGBB
        const auto* p = reinterpret_cast<const uint8_t*>(rgb.data()) + (y * width + x) * 3;
        return uint32_t{p[0]} << 16 | uint32_t{p[1]} << 8 | p[2];
    }
};
std::optional<Screenshot> TakeScreenshot();

}  // namespace e2e
