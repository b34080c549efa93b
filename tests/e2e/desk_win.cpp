#include "tests/e2e/desk_win.h"

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "common/handles_win.h"

namespace e2e {

namespace {

constexpr UINT kCallMessage = WM_APP + 1, kHangMessage = WM_APP + 2;
const wchar_t* const kProgramFiles[] = {L"ymt.exe",        L"ymthinata.dll", L"ymttsubaki.dll",
                                        L"ymtsazanka.dll", L"ymtvoice.dll",  L"ymt.chm"};

std::wstring KeyPath(const std::wstring& subkey) {
    return L"Software\\Torvenal\\Yomitoki\\CurrentVersion" +
           (subkey.empty() ? L"" : L"\\" + subkey);
}

void RegisterLocalClass(const wchar_t* name, WNDPROC proc) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = name;
    RegisterClassExW(&wc);  // or it is already
}

// Starts a Unix program (by its Unix path) with a command line. Wine gives no handle that
// can be waited on for a Unix child: callers wait for what it makes.
void RunUnix(const std::wstring& unixPath, std::wstring commandLine, const wchar_t* folder) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (CreateProcessW((L"Z:" + unixPath).c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                       nullptr, folder, &si, &pi)) {
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    }
}

// The program under libfaketime from an instant: never the real hour or date. Only the wall
// clock is shifted: Wine turns a wait's timeout into a time on the monotonic clock, which
// the wineserver reads unshifted, so a shifted one would make every timed wait of the
// program wait for ever.
void StartProgram(const std::wstring& folder, const std::wstring& name, const std::string& fakeTime,
                  const std::wstring& arguments) {
    SetEnvironmentVariableW(L"FAKETIME_DONT_FAKE_MONOTONIC", L"1");
    RunUnix(L"/usr/bin/faketime",
            L"faketime -f \"@" + Widen(fakeTime) + L"\" /usr/lib/wine/wine64 \"" + folder + L"\\" +
                name + L"\"" + (arguments.empty() ? L"" : L" " + arguments),
            folder.c_str());
}

}  // namespace

bool WaitUntil(const std::function<bool()>& ready, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!ready()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        Sleep(20);
    }
    return true;
}

// ---- The desk's windows ----

UiThread::UiThread() {
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_thread = std::thread([this, ready] {
        RegisterLocalClass(L"ymt_e2e_ui", [](HWND w, UINT m, WPARAM wParam, LPARAM lParam) {
            if (m == kCallMessage)
                (*reinterpret_cast<const std::function<void()>*>(lParam))();
            if (m == kHangMessage)
                Sleep(static_cast<DWORD>(wParam));
            return DefWindowProcW(w, m, wParam, lParam);
        });
        m_window = CreateWindowExW(0, L"ymt_e2e_ui", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
        SetEvent(ready);
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0)
            DispatchMessageW(&message);
    });
    WaitForSingleObject(ready, INFINITE);
    CloseHandle(ready);
}

UiThread::~UiThread() {
    PostMessageW(m_window, WM_QUIT, 0, 0);
    m_thread.join();
}

void UiThread::Call(const std::function<void()>& work) {
    SendMessageW(m_window, kCallMessage, 0, reinterpret_cast<LPARAM>(&work));
}

void UiThread::Hang(std::chrono::milliseconds howLong) {
    PostMessageW(m_window, kHangMessage, static_cast<WPARAM>(howLong.count()), 0);
}

CopyDataRecorder::CopyDataRecorder(UiThread& ui, const wchar_t* className, DWORD style) : m_ui(ui) {
    m_ui.Call([&] {
        RegisterLocalClass(className, Proc);
        m_window = CreateWindowExW(0, className, L"", style, 0, 0, 1, 1, nullptr, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
        SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        SetWindowPos(m_window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    });
}

CopyDataRecorder::~CopyDataRecorder() {
    m_ui.Call([this] { DestroyWindow(m_window); });
}

std::vector<std::pair<ULONG_PTR, std::string>> CopyDataRecorder::Records() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_records;
}

LRESULT CALLBACK CopyDataRecorder::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<CopyDataRecorder*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message != WM_COPYDATA || self == nullptr)
        return DefWindowProcW(window, message, wParam, lParam);
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    std::lock_guard<std::mutex> lock(self->m_mutex);
    self->m_records.emplace_back(data->dwData,
                                 std::string(static_cast<const char*>(data->lpData), data->cbData));
    return TRUE;
}

std::vector<std::u16string> Sibling::Texts() const {
    std::vector<std::u16string> texts;
    for (const auto& [kind, bytes] : Records()) {
        const auto* text = reinterpret_cast<const char16_t*>(bytes.data());
        if (kind == 102414)  // the sibling's status text
            texts.emplace_back(text, std::find(text, text + bytes.size() / 2, u'\0'));
    }
    return texts;
}

std::u16string Sibling::Last() const {
    const auto texts = Texts();
    return texts.empty() ? std::u16string() : texts.back();
}

int Sibling::Seconds(const std::u16string& label) const {
    const std::u16string last = Last();
    const size_t at = last.find(label);
    int h = 0, m = 0, s = 0;
    if (at == std::u16string::npos)
        return -1;
    const std::string digits(last.begin() + at + label.size(), last.end());  // ASCII here
    return std::sscanf(digits.c_str(), "%d:%d:%d", &h, &m, &s) == 3 ? h * 3600 + m * 60 + s : -1;
}

std::vector<TrayRecorder::Call> TrayRecorder::Calls(DWORD message) const {
    // Wine's record: the window (32 bits), the id, the flags, the callback message, then the
    // tip in 128 units.
    struct WineRecord {
        UINT window, id, flags, callbackMessage;
        char16_t tip[128];
    };
    std::vector<Call> calls;
    for (const auto& [kind, bytes] : Records()) {
        const auto* record = reinterpret_cast<const WineRecord*>(bytes.data());
        if (kind == message && bytes.size() >= sizeof(WineRecord))
            calls.push_back({record->flags, (record->flags & NIF_TIP) ? record->tip : u""});
    }
    return calls;
}

HWND Browsers::Open(const std::wstring& topClass, const std::vector<std::wstring>& chain,
                    const std::wstring& address) {
    HWND window = nullptr;
    m_ui.Call([&] {
        for (size_t i = chain.size() + 1; i-- > 0;) {
            const std::wstring& cls = i == chain.size() ? topClass : chain[i];
            RegisterLocalClass(cls.c_str(), DefWindowProcW);
            window = CreateWindowExW(0, cls.c_str(), i == 0 ? address.c_str() : L"",
                                     window == nullptr ? WS_OVERLAPPEDWINDOW : WS_CHILD, 0, 0, 300,
                                     200, window, nullptr, GetModuleHandleW(nullptr), nullptr);
        }
    });
    return window;
}

void Browsers::Navigate(HWND control, const std::wstring& address) {
    m_ui.Call([&] { SetWindowTextW(control, address.c_str()); });
}

// ---- The program ----

Program::Program(Launch launch) : m_launch(std::move(launch)) {
    static int counter = 0;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    m_folder = std::wstring(temp) + L"ymt-e2e-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
               std::to_wstring(++counter);
    CreateDirectoryW(m_folder.c_str(), nullptr);
    for (const std::wstring f : kProgramFiles) {
        const bool program = f == L"ymt.exe";
        if (std::count(m_launch.leaveOut.begin(), m_launch.leaveOut.end(), f) == 0)
            CopyFileW((TestsFolder() + L"\\" + (program ? m_launch.programFile : f)).c_str(),
                      (m_folder + L"\\" + (program ? m_launch.programName : f)).c_str(), FALSE);
    }
    if (m_launch.prepare)
        m_launch.prepare(m_folder);
    m_started = std::chrono::steady_clock::now();
    StartProgram(m_folder, m_launch.programName, m_launch.fakeTime, m_launch.arguments);
}

Program::~Program() {
    Kill();
    for (const std::wstring f : kProgramFiles)
        DeleteFileW((m_folder + L"\\" + (f == L"ymt.exe" ? m_launch.programName : f)).c_str());
    RemoveDirectoryW(m_folder.c_str());
}

void Program::StartAnotherCopy(const std::string& fakeTime) const {
    StartProgram(m_folder, m_launch.programName, fakeTime, L"");
}

HWND Program::WaitForMainWindow(std::chrono::milliseconds timeout) {
    HWND found = nullptr;
    if (WaitUntil([&] { return (found = MainWindow()) != nullptr; }, timeout))
        Adopt(found);
    return found;
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
    if (m_processId == 0)
        Adopt(MainWindow());
    UniqueHandle p(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, m_processId));
    if (p && WaitForSingleObject(p.get(), 0) == WAIT_TIMEOUT) {
        TerminateProcess(p.get(), 1);
        WaitForSingleObject(p.get(), 10000);
    }
}

LRESULT LogOff(const Program& program) {
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(program.MainWindow(), WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 5000,
                        &answer);
    return static_cast<LRESULT>(answer);
}

RunningProgram::RunningProgram(Launch launch, bool skipGreeting) : Program(std::move(launch)) {
    m_main = WaitForMainWindow();
    m_up = m_main != nullptr && (!skipGreeting || SkipGreeting(*this));
}

RunningProgram::~RunningProgram() {
    if (Running() && LogOff(*this))
        WaitForExit(10s);
}

std::string RunningProgram::LogOffAndWait() {
    const LRESULT answer = LogOff(*this);
    if (answer != TRUE)
        return "the session-end query was answered " + std::to_string(answer);
    // The window is gone as the query returns: no farewell keeps it on the screen.
    return IsWindow(m_main) || !WaitForExit(10s) ? "the program outlived the log-off" : "";
}

// ---- Unix programs and folders ----

std::optional<std::string> RunShell(const std::wstring& command) {
    static std::atomic<int> counter{0};
    // The output is written aside and renamed when whole, as the end of a Unix child cannot
    // be waited for.
    const std::wstring out = L"/tmp/ymt-e2e-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                             std::to_wstring(++counter) + L".out";
    RunUnix(L"/bin/sh",
            L"/bin/sh -c \"(" + command + L") >'" + out + L".part'; mv '" + out + L".part' '" +
                out + L"'\"",
            nullptr);
    std::optional<std::string> text;
    WaitUntil(
        [&] {
            UniqueHFile file(CreateFileW((L"Z:" + out).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                         nullptr, OPEN_EXISTING, 0, nullptr));
            DWORD read = 0;
            if (file) {
                text.emplace(GetFileSize(file.get(), nullptr), '\0');
                ReadFile(file.get(), text->data(), text->size(), &read, nullptr);
            }
            return static_cast<bool>(file);
        },
        60s);
    DeleteFileW((L"Z:" + out).c_str());
    return text;
}

std::wstring UnixPath(const std::wstring& windowsPath) {
    using ToUnix = char*(CDECL*)(const wchar_t*);
    static const auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* unix = toUnix(windowsPath.c_str());
    const std::wstring result = unix != nullptr ? Widen(unix) : std::wstring();
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
}

std::wstring TestsFolder() {
    wchar_t path[MAX_PATH];
    const std::wstring s(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
    return s.substr(0, s.find_last_of(L'\\'));
}

std::wstring AppDataFolder(const std::wstring& below) {
    wchar_t appData[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, appData);
    const std::wstring folder = std::wstring(appData) + L"\\" + below;
    SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    return folder;
}

// The display as the compositor shows it, read as PPM.
std::optional<Screenshot> TakeScreenshot() {
    const auto ppm = RunShell(L"import -window root -depth 8 ppm:-");
    Screenshot shot;
    int header = 0;
    if (!ppm ||
        std::sscanf(ppm->c_str(), "P6 %d %d 255%n", &shot.width, &shot.height, &header) != 2 ||
        header == 0)
        return std::nullopt;
    shot.rgb = ppm->substr(header + 1);
    return shot.rgb.size() >= static_cast<size_t>(shot.width) * shot.height * 3
               ? std::optional<Screenshot>(shot)
               : std::nullopt;
}

// ---- Windows of other processes ----

std::wstring WindowText(HWND window) {
    wchar_t text[4096] = {};
    DWORD_PTR n = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        2000, &n);
    return text;
}

std::wstring MessageBoxText(HWND box) {
    std::wstring all;
    for (HWND child = FindWindowExW(box, nullptr, L"Static", nullptr); child != nullptr;
         child = FindWindowExW(box, child, L"Static", nullptr)) {
        all += WindowText(child);
    }
    return all;
}

HWND WaitForMessageBox(const std::wstring& part, std::chrono::milliseconds timeout) {
    HWND found = nullptr;
    auto shown = [&] {
        for (found = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); found != nullptr;
             found = FindWindowExW(nullptr, found, L"#32770", nullptr)) {
            if (IsWindowVisible(found) &&
                (MessageBoxText(found) + WindowText(found)).find(part) != std::wstring::npos)
                return true;
        }
        return false;
    };
    return WaitUntil(shown, timeout) ? found : nullptr;
}

// ---- The registry ----

std::optional<uint32_t> ReadNumber(const std::wstring& subkey, const std::wstring& name) {
    DWORD value = 0, size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, KeyPath(subkey).c_str(), name.c_str(), RRF_RT_REG_DWORD,
                     nullptr, &value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

std::optional<std::wstring> ReadText(const std::wstring& subkey, const std::wstring& name) {
    wchar_t text[2048] = {};
    DWORD size = sizeof text - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CURRENT_USER, KeyPath(subkey).c_str(), name.c_str(), RRF_RT_REG_SZ,
                     nullptr, text, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return text;
}

void WriteNumber(const std::wstring& subkey, const std::wstring& name, uint32_t value) {
    RegSetKeyValueW(HKEY_CURRENT_USER, KeyPath(subkey).c_str(), name.c_str(), REG_DWORD, &value,
                    sizeof value);
}

// ---- The character ----

bool WaitForShown(const Program& program, bool shown, std::chrono::milliseconds timeout) {
    return WaitUntil(
        [&] {
            HWND main = program.MainWindow();
            return main != nullptr && (IsWindowVisible(main) != FALSE) == shown;
        },
        timeout);
}

bool SkipGreeting(const Program& program) {
    if (!WaitForShown(program, true, 20s))
        return false;
    Sleep(700);  // past the fade-in: a click then sends the line to its fade-out
    ClickBalloon(program, 100, 150);
    return WaitForShown(program, false, 10s);
}

bool OpenCommandList(const Program& program) {
    // Only a silent character takes the click: let a fading line end first.
    if (!WaitForShown(program, false, 10s))
        return false;
    program.PostTray(WM_LBUTTONUP);
    if (!WaitForShown(program, true, 5s))
        return false;
    Sleep(2500);  // "ごようですか？" is typed, then the list is drawn and waits
    return true;
}

}  // namespace e2e
