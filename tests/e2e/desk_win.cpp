#include "tests/e2e/desk_win.h"

#include <png.h>
#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "common/handles_win.h"

namespace e2e {

namespace {

constexpr wchar_t kProgramKey[] = L"Software\\Torvenal\\Yomitoki\\CurrentVersion";
constexpr UINT kCallMessage = WM_APP + 1;
constexpr ULONG_PTR kSiblingDataKind = 102414;

std::wstring ExeFolder() {
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring s(path, n);
    return s.substr(0, s.find_last_of(L'\\'));
}

std::wstring KeyPath(const std::wstring& subkey) {
    return subkey.empty() ? kProgramKey : std::wstring(kProgramKey) + L"\\" + subkey;
}

bool RegisterLocalClass(const wchar_t* name, WNDPROC proc) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = name;
    return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// Starts a Unix program (by its Unix path) with a command line. Wine gives no handle that
// can be waited on for a Unix child: callers wait for what it makes.
bool RunUnix(const std::wstring& unixPath, const std::wstring& commandLine) {
    std::wstring windowsPath = L"Z:" + unixPath;
    for (wchar_t& c : windowsPath) {
        if (c == L'/')
            c = L'\\';
    }
    std::wstring command = commandLine;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(windowsPath.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &si, &pi)) {
        return false;
    }
    UniqueHandle process(pi.hProcess), thread(pi.hThread);
    return true;
}

std::wstring UnixPathOf(const std::wstring& windowsPath) {
    // Z:\x\y -> /x/y ; other drives are not used by the tests.
    std::wstring s =
        windowsPath.size() > 2 && windowsPath[1] == L':' ? windowsPath.substr(2) : windowsPath;
    for (wchar_t& c : s) {
        if (c == L'\\')
            c = L'/';
    }
    return s;
}

std::wstring Widen(const std::string& s) {
    return std::wstring(s.begin(), s.end());
}

}  // namespace

bool WaitUntil(const std::function<bool()>& ready, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!ready()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        Sleep(20);
    }
    return true;
}

// ---- UiThread ----

UiThread::UiThread() {
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_thread = std::thread([this, ready] {
        RegisterLocalClass(L"ymt_e2e_ui", Proc);
        m_window = CreateWindowExW(0, L"ymt_e2e_ui", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
        m_threadId = GetCurrentThreadId();
        SetEvent(ready);
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    });
    WaitForSingleObject(ready, INFINITE);
    CloseHandle(ready);
}

UiThread::~UiThread() {
    PostThreadMessageW(m_threadId, WM_QUIT, 0, 0);
    m_thread.join();
}

void UiThread::Call(const std::function<void()>& work) {
    SendMessageW(m_window, kCallMessage, 0, reinterpret_cast<LPARAM>(&work));
}

void UiThread::Hang(std::chrono::milliseconds howLong) {
    PostMessageW(m_window, kCallMessage + 1, static_cast<WPARAM>(howLong.count()), 0);
}

LRESULT CALLBACK UiThread::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kCallMessage + 1) {
        Sleep(static_cast<DWORD>(wParam));
        return 0;
    }
    if (message == kCallMessage) {
        (*reinterpret_cast<const std::function<void()>*>(lParam))();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// ---- Sibling ----

Sibling::Sibling(UiThread& ui) : m_ui(ui) {
    m_ui.Call([this] {
        RegisterLocalClass(L"kasoruzoe", Proc);
        m_window = CreateWindowExW(0, L"kasoruzoe", L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                   nullptr, GetModuleHandleW(nullptr), this);
        SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    });
}

Sibling::~Sibling() {
    m_ui.Call([this] { DestroyWindow(m_window); });
}

std::vector<std::u16string> Sibling::Texts() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_texts;
}

std::u16string Sibling::Last() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_texts.empty() ? std::u16string() : m_texts.back();
}

void Sibling::Hang(std::chrono::milliseconds howLong) {
    PostMessageW(m_window, WM_APP + 7, static_cast<WPARAM>(howLong.count()), 0);
}

LRESULT CALLBACK Sibling::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Sibling*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_COPYDATA && self != nullptr) {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (data->dwData == kSiblingDataKind && data->cbData >= 2) {
            const auto* text = static_cast<const char16_t*>(data->lpData);
            std::u16string s(text, data->cbData / 2);
            s.resize(s.find(u'\0') == std::u16string::npos ? s.size() : s.find(u'\0'));
            std::lock_guard<std::mutex> lock(self->m_mutex);
            self->m_texts.push_back(s);
        }
        return TRUE;
    }
    if (message == WM_APP + 7) {
        Sleep(static_cast<DWORD>(wParam));
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// ---- TrayRecorder ----

TrayRecorder::TrayRecorder(UiThread& ui) : m_ui(ui) {
    m_ui.Call([this] {
        RegisterLocalClass(L"Shell_TrayWnd", Proc);
        m_window = CreateWindowExW(0, L"Shell_TrayWnd", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
        SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        SetWindowPos(m_window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    });
}

TrayRecorder::~TrayRecorder() {
    m_ui.Call([this] { DestroyWindow(m_window); });
}

std::vector<TrayRecorder::Call> TrayRecorder::Calls() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_calls;
}

LRESULT CALLBACK TrayRecorder::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // Wine's record: the window (32 bits), the id, the flags, the callback message, then
    // the tip in 128 units.
    struct WineRecord {
        LONG window;
        UINT id;
        UINT flags;
        UINT callbackMessage;
        WCHAR tip[128];
    };
    auto* self = reinterpret_cast<TrayRecorder*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_COPYDATA && self != nullptr) {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (data->cbData >= sizeof(WineRecord)) {
            const auto* record = static_cast<const WineRecord*>(data->lpData);
            Call call{static_cast<DWORD>(data->dwData), record->flags, {}};
            if (record->flags & NIF_TIP) {
                const auto* tip = reinterpret_cast<const char16_t*>(record->tip);
                call.tip.assign(tip, std::find(tip, tip + 128, u'\0'));
            }
            std::lock_guard<std::mutex> lock(self->m_mutex);
            self->m_calls.push_back(call);
        }
        return TRUE;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// ---- Browsers ----

Browsers::~Browsers() {
    m_ui.Call([this] {
        for (HWND top : m_tops) {
            if (IsWindow(top))
                DestroyWindow(top);
        }
    });
}

HWND Browsers::Open(const std::wstring& topClass, const std::vector<std::wstring>& chain,
                    const std::wstring& address) {
    HWND control = nullptr;
    m_ui.Call([&] {
        auto create = [](const std::wstring& cls, const std::wstring& text, DWORD style,
                         HWND parent) -> HWND {
            if (!RegisterLocalClass(cls.c_str(), DefWindowProcW))
                return nullptr;
            return CreateWindowExW(0, cls.c_str(), text.c_str(), style, 0, 0, 300, 200, parent,
                                   nullptr, GetModuleHandleW(nullptr), nullptr);
        };
        HWND top = create(topClass, L"browser", WS_OVERLAPPEDWINDOW, nullptr);
        m_tops.push_back(top);
        HWND w = top;
        for (size_t i = chain.size(); i-- > 0;) {
            w = create(chain[i], i == 0 ? address : L"", WS_CHILD, w);
        }
        control = w;
    });
    return control;
}

void Browsers::Navigate(HWND control, const std::wstring& address) {
    m_ui.Call([&] { SetWindowTextW(control, address.c_str()); });
}

void Browsers::Close(HWND top) {
    m_ui.Call([&] { DestroyWindow(top); });
}

// ---- Program ----

Program::Program(Launch launch) : m_launch(std::move(launch)) {
    static int counter = 0;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    m_folder = std::wstring(temp) + L"ymt-e2e-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
               std::to_wstring(++counter);
    CreateDirectoryW(m_folder.c_str(), nullptr);
    const std::wstring from = ExeFolder();
    const std::wstring files[] = {L"ymt.exe",        L"ymthinata.dll", L"ymttsubaki.dll",
                                  L"ymtsazanka.dll", L"ymtvoice.dll",  L"ymt.chm"};
    for (const std::wstring& f : files) {
        bool skip = false;
        for (const std::wstring& left : m_launch.leaveOut)
            skip = skip || left == f;
        if (skip)
            continue;
        const bool program = f == L"ymt.exe";
        const std::wstring source = program ? m_launch.programFile : f;
        const std::wstring target = program ? m_launch.programName : f;
        CopyFileW((from + L"\\" + source).c_str(), (m_folder + L"\\" + target).c_str(), FALSE);
    }
    if (m_launch.prepare) {
        m_launch.prepare(m_folder);
    }
    // The program runs under libfaketime from this instant: never the real hour or date.
    // Only the wall clock is shifted: Wine turns a wait's timeout into a time on the
    // monotonic clock, which the wineserver reads unshifted, so a shifted one would make
    // every timed wait of the program (WaitForSingleObject with a timeout) wait for ever.
    SetEnvironmentVariableW(L"FAKETIME_DONT_FAKE_MONOTONIC", L"1");
    std::wstring command = L"faketime -f \"@" + Widen(m_launch.fakeTime) +
                           L"\" /usr/lib/wine/wine64 \"" + m_folder + L"\\" + m_launch.programName +
                           L"\"" + (m_launch.arguments.empty() ? L"" : L" " + m_launch.arguments);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    m_started = std::chrono::steady_clock::now();
    if (CreateProcessW(L"Z:\\usr\\bin\\faketime", command.data(), nullptr, nullptr, FALSE, 0,
                       nullptr, m_folder.c_str(), &si, &pi)) {
        m_process = pi.hProcess;
        CloseHandle(pi.hThread);
    }
}

Program::~Program() {
    Kill();
    if (m_process != nullptr) {
        WaitForSingleObject(m_process, 10000);
        CloseHandle(m_process);
    }
    const std::wstring files[] = {m_launch.programName, L"ymthinata.dll", L"ymttsubaki.dll",
                                  L"ymtsazanka.dll",    L"ymtvoice.dll",  L"ymt.chm"};
    for (const std::wstring& f : files)
        DeleteFileW((m_folder + L"\\" + f).c_str());
    RemoveDirectoryW(m_folder.c_str());
}

HWND Program::MainWindow() const {
    return FindWindowW(L"ytm_tan_ee", nullptr);
}

HWND Program::WaitForMainWindow(std::chrono::milliseconds timeout) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = MainWindow()) != nullptr; }, timeout);
    if (found != nullptr) {
        GetWindowThreadProcessId(found, &m_processId);
    }
    return found;
}

void Program::PostTray(UINT mouseMessage) const {
    PostMessageW(MainWindow(), WM_USER, 5458, mouseMessage);
}

bool Program::Running() const {
    if (m_processId == 0)
        return MainWindow() != nullptr;
    UniqueHandle p(OpenProcess(SYNCHRONIZE, FALSE, m_processId));
    return p && WaitForSingleObject(p.get(), 0) == WAIT_TIMEOUT;
}

bool Program::WaitForExit(std::chrono::milliseconds timeout) {
    return WaitUntil([&] { return !Running(); }, timeout);
}

void Program::Kill() {
    if (m_processId == 0) {
        if (HWND w = MainWindow(); w != nullptr)
            GetWindowThreadProcessId(w, &m_processId);
    }
    if (m_processId != 0) {
        UniqueHandle p(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, m_processId));
        if (p && WaitForSingleObject(p.get(), 0) == WAIT_TIMEOUT) {
            TerminateProcess(p.get(), 1);
            WaitForSingleObject(p.get(), 10000);
        }
    }
}

HANDLE StartAnotherCopy(const Program& program, const std::string& fakeTime) {
    std::wstring command = L"faketime -f \"@" + Widen(fakeTime) + L"\" /usr/lib/wine/wine64 \"" +
                           program.Folder() + L"\\ymt.exe\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(L"Z:\\usr\\bin\\faketime", command.data(), nullptr, nullptr, FALSE, 0,
                        nullptr, program.Folder().c_str(), &si, &pi)) {
        return nullptr;
    }
    CloseHandle(pi.hThread);
    return pi.hProcess;
}

// ---- Unix programs ----

std::optional<std::string> RunShell(const std::wstring& command,
                                    std::chrono::milliseconds timeout) {
    static std::atomic<int> counter{0};
    // The output is written aside and renamed when whole, as the end of a Unix child cannot
    // be waited for.
    const std::wstring out = L"/tmp/ymt-e2e-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                             std::to_wstring(++counter) + L".out";
    if (!RunUnix(L"/bin/sh", L"/bin/sh -c \"(" + command + L") >'" + out + L".part'; mv '" + out +
                                 L".part' '" + out + L"'\"")) {
        return std::nullopt;
    }
    const std::wstring windowsOut = L"Z:" + out;
    std::optional<std::string> text;
    WaitUntil(
        [&] {
            UniqueHFile file(CreateFileW(windowsOut.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                         OPEN_EXISTING, 0, nullptr));
            if (!file) {
                return false;
            }
            std::string bytes(GetFileSize(file.get(), nullptr), '\0');
            DWORD read = 0;
            ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
            bytes.resize(read);
            text = std::move(bytes);
            return true;
        },
        timeout);
    DeleteFileW(windowsOut.c_str());
    return text;
}

std::wstring UnixPath(const std::wstring& windowsPath) {
    using ToUnix = char*(CDECL*)(const wchar_t*);
    static const auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (toUnix == nullptr) {
        return UnixPathOf(windowsPath);
    }
    char* unix = toUnix(windowsPath.c_str());
    if (unix == nullptr) {
        return {};
    }
    const std::wstring result = Widen(unix);
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
}

// ---- Windows of other processes ----

HWND FindTopWindow(const wchar_t* className, const wchar_t* title) {
    return FindWindowW(className, title);
}

HWND WaitForTopWindow(const wchar_t* className, const wchar_t* title,
                      std::chrono::milliseconds timeout) {
    HWND found = nullptr;
    // A dialog exists before its initialisation has run; it is shown after it.
    WaitUntil(
        [&] {
            found = FindWindowW(className, title);
            return found != nullptr && IsWindowVisible(found);
        },
        timeout);
    return found != nullptr && IsWindowVisible(found) ? found : nullptr;
}

std::wstring WindowText(HWND window) {
    wchar_t text[4096] = {};
    DWORD_PTR n = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        2000, &n);
    return std::wstring(text, wcsnlen(text, 4096));
}

std::wstring MessageBoxText(HWND box) {
    std::wstring all;
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t cls[32] = {};
        GetClassNameW(child, cls, 32);
        if (wcscmp(cls, L"Static") == 0) {
            all += WindowText(child);
        }
    }
    return all;
}

HWND WaitForMessageBox(const std::wstring& part, std::chrono::milliseconds timeout) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND w = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); w != nullptr;
                 w = FindWindowExW(nullptr, w, L"#32770", nullptr)) {
                if (IsWindowVisible(w) && (MessageBoxText(w).find(part) != std::wstring::npos ||
                                           WindowText(w).find(part) != std::wstring::npos)) {
                    found = w;
                    return true;
                }
            }
            return false;
        },
        timeout);
    return found;
}

void PressButton(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// ---- Registry ----

void DeleteProgramKey() {
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Torvenal");
}

std::optional<uint32_t> ReadNumber(const std::wstring& subkey, const std::wstring& name) {
    DWORD value = 0, size = sizeof value, type = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, KeyPath(subkey).c_str(), name.c_str(), RRF_RT_REG_DWORD,
                     &type, &value, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::wstring> ReadText(const std::wstring& subkey, const std::wstring& name) {
    wchar_t text[2048] = {};
    DWORD size = sizeof text - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CURRENT_USER, KeyPath(subkey).c_str(), name.c_str(), RRF_RT_REG_SZ,
                     nullptr, text, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::wstring(text);
}

void WriteNumber(const std::wstring& subkey, const std::wstring& name, uint32_t value) {
    RegSetKeyValueW(HKEY_CURRENT_USER, KeyPath(subkey).c_str(), name.c_str(), REG_DWORD, &value,
                    sizeof value);
}

std::vector<std::wstring> ValueNames(const std::wstring& subkey) {
    std::vector<std::wstring> names;
    UniqueHKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, KeyPath(subkey).c_str(), 0, KEY_READ, key.put()) !=
        ERROR_SUCCESS) {
        return names;
    }
    for (DWORD i = 0;; ++i) {
        wchar_t name[16384];
        DWORD length = 16384;
        if (RegEnumValueW(key.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        names.emplace_back(name, length);
    }
    return names;
}

// ---- Screenshots ----

std::wstring ScreenshotFolder() {
    const char* folder = std::getenv("YMT_SCREENSHOTS");
    std::wstring unix = folder != nullptr ? Widen(folder) : L"/tmp";
    std::wstring windows = L"Z:" + unix;
    for (wchar_t& c : windows) {
        if (c == L'/')
            c = L'\\';
    }
    CreateDirectoryW(windows.c_str(), nullptr);
    return windows;
}

uint32_t Screenshot::At(int x, int y) const {
    const size_t i = (static_cast<size_t>(y) * width + x) * 3;
    return uint32_t{rgb[i]} << 16 | uint32_t{rgb[i + 1]} << 8 | rgb[i + 2];
}

namespace {

std::optional<Screenshot> ReadPng(const std::wstring& path) {
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (file == nullptr) {
        return std::nullopt;
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    Screenshot shot;
    if (png_image_begin_read_from_stdio(&image, file)) {
        image.format = PNG_FORMAT_RGB;
        shot.width = static_cast<int>(image.width);
        shot.height = static_cast<int>(image.height);
        shot.rgb.resize(PNG_IMAGE_SIZE(image));
        if (!png_image_finish_read(&image, nullptr, shot.rgb.data(), 0, nullptr)) {
            shot = {};
        }
    }
    png_image_free(&image);
    fclose(file);
    if (shot.width == 0) {
        return std::nullopt;
    }
    return shot;
}

}  // namespace

std::optional<Screenshot> TakeScreenshot(const std::wstring& name) {
    const std::wstring path = ScreenshotFolder() + L"\\" + name + L".png";
    const std::wstring partial = path + L".part.png";
    DeleteFileW(path.c_str());
    DeleteFileW(partial.c_str());
    // Written aside and renamed when whole: the wait on a Unix child is not to be trusted.
    const std::wstring command = L"/bin/sh -c \"import -window root png24:'" + UnixPathOf(partial) +
                                 L"' && mv '" + UnixPathOf(partial) + L"' '" + UnixPathOf(path) +
                                 L"'\"";
    if (!RunUnix(L"/bin/sh", command)) {
        return std::nullopt;
    }
    std::optional<Screenshot> shot;
    WaitUntil([&] { return (shot = ReadPng(path)).has_value(); }, 30s);
    return shot;
}

void ClickBalloon(const Program& program, int x, int y, bool left) {
    PostMessageW(program.MainWindow(), left ? WM_LBUTTONDOWN : WM_RBUTTONDOWN,
                 left ? MK_LBUTTON : MK_RBUTTON, MAKELPARAM(x, y));
}

bool WaitForShown(const Program& program, bool shown, std::chrono::milliseconds timeout) {
    return WaitUntil(
        [&] {
            HWND main = program.MainWindow();
            return main != nullptr && (IsWindowVisible(main) != FALSE) == shown;
        },
        timeout);
}

bool SkipGreeting(const Program& program) {
    if (!WaitForShown(program, true, 20s)) {
        return false;
    }
    Sleep(700);  // past the fade-in: a click then sends the line to its fade-out
    ClickBalloon(program, 100, 150);
    return WaitForShown(program, false, 10s);
}

void LogOff(const Program& program) {
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(program.MainWindow(), WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 5000,
                        &answer);
}

bool OpenCommandList(const Program& program) {
    // Only a silent character takes the click: let a fading line end first.
    if (!WaitForShown(program, false, 10s)) {
        return false;
    }
    program.PostTray(WM_LBUTTONUP);
    if (!WaitForShown(program, true, 5s)) {
        return false;
    }
    Sleep(2500);  // "ごようですか？" is typed, then the list is drawn and waits
    return true;
}

void ClickCommand(const Program& program, int left, int top) {
    ClickBalloon(program, left + 4, top + 5);
}

}  // namespace e2e
