#pragma once
// The test desk: plays the user's desktop around a running ymt.exe. Browser-like windows and
// the sibling "kasoruzoe" window live on a UI thread of their own that pumps messages, so
// the program's messages to them are answered while a test waits. The program runs from a
// fresh folder, always under libfaketime at a fixed instant, never at the real hour.
#include <windows.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
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
    UiThread(const UiThread&) = delete;
    UiThread& operator=(const UiThread&) = delete;
    void Call(const std::function<void()>& work);
    // Blocks the thread for a while: its windows stop answering (a hung program).
    void Hang(std::chrono::milliseconds howLong);

  private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
    std::thread m_thread;
    HWND m_window = nullptr;
    DWORD m_threadId = 0;
};

// The sibling program's window, recording every text it is sent.
class Sibling {
  public:
    explicit Sibling(UiThread& ui);
    ~Sibling();
    std::vector<std::u16string> Texts() const;
    std::u16string Last() const;
    // Blocks the sibling's thread for a while (a hung sibling).
    void Hang(std::chrono::milliseconds howLong);

  private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
    UiThread& m_ui;
    HWND m_window = nullptr;
    mutable std::mutex m_mutex;
    std::vector<std::u16string> m_texts;
};

// The notification area as the program's Shell_NotifyIconW reaches it: a "Shell_TrayWnd"
// window in front of the system's, which records what each call gives. Wine's shell32 hands
// the shell every call as WM_COPYDATA to the first such window, the message in dwData and
// the record in its own layout (read here). While it lives the program's icon is in no
// real tray.
class TrayRecorder {
  public:
    struct Call {
        DWORD message;       // NIM_ADD, NIM_MODIFY, NIM_DELETE
        UINT flags;          // NIF_*
        std::u16string tip;  // with NIF_TIP
    };
    explicit TrayRecorder(UiThread& ui);
    ~TrayRecorder();
    std::vector<Call> Calls() const;

  private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
    UiThread& m_ui;
    HWND m_window = nullptr;
    mutable std::mutex m_mutex;
    std::vector<Call> m_calls;
};

// Browser-like windows: a top-level window of a browser's class with a chain of children
// down to the address control (classes listed from the control up).
class Browsers {
  public:
    explicit Browsers(UiThread& ui) : m_ui(ui) {}
    ~Browsers();
    HWND Open(const std::wstring& topClass, const std::vector<std::wstring>& chain,
              const std::wstring& address);
    void Navigate(HWND control, const std::wstring& address);
    void Close(HWND top);

  private:
    UiThread& m_ui;
    std::vector<HWND> m_tops;
};

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
    // When the process was asked for (just before CreateProcessW).
    std::chrono::steady_clock::time_point Started() const { return m_started; }
    // The main window "ytm_tan_ee", once it exists; null on timeout.
    HWND WaitForMainWindow(std::chrono::milliseconds timeout = 20s);
    HWND MainWindow() const;
    // A tray icon callback as the shell posts it (lParam is the mouse message).
    void PostTray(UINT mouseMessage) const;
    bool WaitForExit(std::chrono::milliseconds timeout);
    bool Running() const;
    void Kill();

  private:
    Launch m_launch;
    std::wstring m_folder;
    std::chrono::steady_clock::time_point m_started;
    DWORD m_processId = 0;
    HANDLE m_process = nullptr;
};

// Another start of the program from an existing folder (a second copy); the handle is of
// the launcher and only closed.
HANDLE StartAnotherCopy(const Program& program, const std::string& fakeTime);
struct UniqueCopy {
    HANDLE h;
    ~UniqueCopy() {
        if (h != nullptr)
            CloseHandle(h);
    }
};

// Runs a shell command line as a Unix program and returns its standard output once it has
// ended; nullopt on timeout. The command may not contain double quotes.
std::optional<std::string> RunShell(const std::wstring& command,
                                    std::chrono::milliseconds timeout = 30s);
// The Unix path of a Windows path (Wine's own mapping; ASCII paths only).
std::wstring UnixPath(const std::wstring& windowsPath);

// Top-level windows of a class (and optionally a title) of any process.
HWND FindTopWindow(const wchar_t* className, const wchar_t* title = nullptr);
HWND WaitForTopWindow(const wchar_t* className, const wchar_t* title,
                      std::chrono::milliseconds timeout);
// A message box or dialog (#32770) whose static text contains part; null on timeout.
HWND WaitForMessageBox(const std::wstring& part, std::chrono::milliseconds timeout = 10s);
std::wstring WindowText(HWND window);
std::wstring MessageBoxText(HWND box);
// Presses a button of a dialog or message box by its id (IDOK, IDYES, ...).
void PressButton(HWND dialog, int id);

// The registry values the program keeps (under HKCU\Software\Torvenal\Yomitoki\CurrentVersion).
void DeleteProgramKey();
std::optional<uint32_t> ReadNumber(const std::wstring& subkey, const std::wstring& name);
std::optional<std::wstring> ReadText(const std::wstring& subkey, const std::wstring& name);
void WriteNumber(const std::wstring& subkey, const std::wstring& name, uint32_t value);
std::vector<std::wstring> ValueNames(const std::wstring& subkey);

// A screenshot of the whole virtual display (ImageMagick's import, run as a Unix program),
// and its pixels for probes.
struct Screenshot {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;         // 3 bytes a pixel, top row first
    uint32_t At(int x, int y) const;  // 0xRRGGBB
};
std::optional<Screenshot> TakeScreenshot(const std::wstring& name);
// Where screenshots are kept (build/windows/screenshots), as a Windows path.
std::wstring ScreenshotFolder();

}  // namespace e2e

namespace e2e {

// Client point of the main window (and of the balloon lying on it).
void ClickBalloon(const Program& program, int x, int y, bool left = true);
// Waits for the greeting to show, clicks it away and waits until the character is gone.
bool SkipGreeting(const Program& program);
// Waits until the character window is shown (a speech runs) or hidden (silent).
bool WaitForShown(const Program& program, bool shown, std::chrono::milliseconds timeout);
// Ends the program as a log-off does: it saves and ends at once, without a farewell.
void LogOff(const Program& program);
// Opens the command list from the tray (the program must be silent) and waits until it
// stands in the balloon.
bool OpenCommandList(const Program& program);
// The command list's item whose label starts at (left, top) in the balloon.
void ClickCommand(const Program& program, int left, int top);

}  // namespace e2e
