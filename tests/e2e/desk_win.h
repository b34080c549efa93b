#pragma once
// The test desk: plays the user's desktop around a running ymt.exe. Browser-like windows, the
// sibling "kasoruzoe" window and the notification area live on a UI thread of their own that
// pumps messages, so the program's messages to them are answered while a test waits. The
// program runs from a fresh folder, always under libfaketime at a fixed instant, never at the
// real hour.
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

// A window of a class of the desk's that records what each WM_COPYDATA brings: its dwData
// and its bytes.
class CopyDataRecorder {
  public:
    CopyDataRecorder(UiThread& ui, const wchar_t* className, DWORD style);
    ~CopyDataRecorder();
    std::vector<std::pair<ULONG_PTR, std::string>> Records() const;

  private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
    UiThread& m_ui;
    HWND m_window = nullptr;
    mutable std::mutex m_mutex;
    std::vector<std::pair<ULONG_PTR, std::string>> m_records;
};

// The sibling program's window, and the status texts the program sent it.
class Sibling : public CopyDataRecorder {
  public:
    explicit Sibling(UiThread& ui) : CopyDataRecorder(ui, L"kasoruzoe", WS_OVERLAPPED) {}
    std::vector<std::u16string> Texts() const;
    std::u16string Last() const;
    // The seconds after label ("連続[" or "本日[") in the last text; -1 without one.
    int Seconds(const std::u16string& label) const;
};

// The notification area as the program's Shell_NotifyIconW reaches it: a "Shell_TrayWnd"
// window in front of the system's. Wine's shell32 hands the shell every call as WM_COPYDATA
// to the first such window, the message in dwData and the record in its own layout.
class TrayRecorder : public CopyDataRecorder {
  public:
    struct Call {
        UINT flags;          // NIF_*
        std::u16string tip;  // with NIF_TIP
    };
    explicit TrayRecorder(UiThread& ui) : CopyDataRecorder(ui, L"Shell_TrayWnd", WS_POPUP) {}
    std::vector<Call> Calls(DWORD message) const;  // NIM_ADD, NIM_MODIFY, NIM_DELETE
};

// Browser-like windows: a top-level window of a browser's class with a chain of children
// down to the address control (classes listed from the control up). They end with the UI
// thread.
class Browsers {
  public:
    explicit Browsers(UiThread& ui) : m_ui(ui) {}
    HWND Open(const std::wstring& topClass, const std::vector<std::wstring>& chain,
              const std::wstring& address);
    void Navigate(HWND control, const std::wstring& address);

  private:
    UiThread& m_ui;
};
// An Internet Explorer address bar, and an article to show in it.
inline const std::vector<std::wstring> kIeAddressChain = {L"ComboBoxEx32"};
inline const std::wstring kArticleAddress = L"http://ja.wikipedia.org/wiki/%E7%8C%AB";  // 猫

// The program in a fresh folder of its own, with its plug-ins and help file.
struct Launch {
    std::string fakeTime = "2026-12-06 10:00:00";  // libfaketime's start instant
    std::wstring programName = L"ymt.exe";
    std::wstring programFile = L"ymt.exe";  // the file of the tests' folder started as programName
    std::wstring arguments;                 // its command line after the program's path
    std::vector<std::wstring> leaveOut;     // files not copied (a missing plug-in)
    // Runs on the program's folder after the files are copied, before the start.
    std::function<void(const std::wstring& folder)> prepare;
};

class Program {
  public:
    explicit Program(Launch launch = {});
    ~Program();  // ends the program if it still runs, and removes its folder
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    const std::wstring& Folder() const { return m_folder; }
    // When the process was asked for.
    std::chrono::steady_clock::time_point Started() const { return m_started; }
    // The main window "ytm_tan_ee", once it exists; null on timeout.
    HWND WaitForMainWindow(std::chrono::milliseconds timeout = 20s);
    HWND MainWindow() const { return FindWindowW(L"ytm_tan_ee", nullptr); }
    // Follows the process that owns a window (a box shown before any main window).
    void Adopt(HWND window) { GetWindowThreadProcessId(window, &m_processId); }
    // A tray icon callback as the shell posts it (lParam is the mouse message).
    void PostTray(UINT mouse) const { PostMessageW(MainWindow(), WM_USER, 5458, mouse); }
    bool WaitForExit(std::chrono::milliseconds timeout);
    bool Running() const;
    void Kill();
    // Starts another copy from the same folder, at another instant.
    void StartAnotherCopy(const std::string& fakeTime) const;

  private:
    Launch m_launch;
    std::wstring m_folder;
    std::chrono::steady_clock::time_point m_started;
    DWORD m_processId = 0;
};

// Ends the program as a log-off does: it saves and ends at once, without a farewell. The
// program's answer to the session-end query (TRUE: it agrees).
LRESULT LogOff(const Program& program);

// The program as most flows want it: started, its main window up and the greeting clicked
// away if asked (a failure shows in Up()). LogOffAndWait ends it as a log-off does and asks
// that it agreed and ended at once; the destructor logs off a program still running.
class RunningProgram : public Program {
  public:
    explicit RunningProgram(Launch launch = {}, bool skipGreeting = true);
    ~RunningProgram();
    bool Up() const { return m_up; }
    HWND Main() const { return m_main; }
    // Empty when it agreed and ended, or what went wrong.
    std::string LogOffAndWait();

  private:
    HWND m_main = nullptr;
    bool m_up = false;
};

// Runs a shell command line as a Unix program and returns its standard output once it has
// ended; nullopt on timeout. The command may not contain double quotes.
std::optional<std::string> RunShell(const std::wstring& command);
// The Unix path of a Windows path (Wine's own mapping).
std::wstring UnixPath(const std::wstring& windowsPath);
inline std::wstring Widen(const std::string& s) {
    return std::wstring(s.begin(), s.end());
}
// This program's folder, where the program, its plug-ins and the helper are built.
std::wstring TestsFolder();
// A folder under %APPDATA%, created.
std::wstring AppDataFolder(const std::wstring& below);

// A shown message box or dialog (#32770) whose title or static text contains part; null on
// timeout.
HWND WaitForMessageBox(const std::wstring& part, std::chrono::milliseconds timeout = 10s);
inline bool WaitForGone(HWND window) {
    return WaitUntil([&] { return !IsWindow(window); }, 10s);
}
std::wstring WindowText(HWND window);
std::wstring MessageBoxText(HWND box);
// Presses a button of a dialog or message box by its id (IDOK, IDYES, ...).
inline void PressButton(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// The registry values the program keeps (under HKCU\Software\Torvenal\Yomitoki\CurrentVersion).
inline void DeleteProgramKey() {
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Torvenal");
}
std::optional<uint32_t> ReadNumber(const std::wstring& subkey, const std::wstring& name);
std::optional<std::wstring> ReadText(const std::wstring& subkey, const std::wstring& name);
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

inline RECT WindowRect(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

// Client point of the main window (and of the balloon lying on it).
inline void ClickBalloon(const Program& program, int x, int y) {
    PostMessageW(program.MainWindow(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
}
// Waits until the character window is shown (a speech runs) or hidden (silent).
bool WaitForShown(const Program& program, bool shown, std::chrono::milliseconds timeout);
// Waits for the greeting to show, clicks it away and waits until the character is gone.
bool SkipGreeting(const Program& program);
// Opens the command list from the tray (the program must be silent) and waits until it
// stands in the balloon.
bool OpenCommandList(const Program& program);
// Clicks the command list's item whose label starts at item (96 DPI) in the balloon.
inline void ClickCommand(const Program& program, POINT item, int dpi = 96) {
    ClickBalloon(program, MulDiv(item.x + 4, dpi, 96), MulDiv(item.y + 5, dpi, 96));
}
inline constexpr POINT kWeekLog{33, 85}, kRanking{124, 98}, kHourlyChime{33, 148}, kVoice{33, 172},
    kAlarms{33, 196}, kVersion{33, 208}, kExit{124, 208}, kCancel{33, 226};

}  // namespace e2e
