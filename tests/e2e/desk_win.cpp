#include "tests/e2e/desk_win.h"

#include <shellapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <future>

#include "common/handles_win.h"
#include "tests/win/temp_folder_win.h"
#include "tests/win/watch_desk_win.h"

namespace e2e {

namespace {

constexpr UINT kCallMessage = WM_APP + 1, kHangMessage = WM_APP + 2;
const wchar_t* const kProgramFiles[] = {L"ymt.exe",        L"ymthinata.dll", L"ymttsubaki.dll",
                                        L"ymtsazanka.dll", L"ymtvoice.dll",  L"ymt.chm"};

std::wstring KeyPath(const std::wstring& subkey) {
    return L"Software\\Torvenal\\Yomitoki\\CurrentVersion" +
           (subkey.empty() ? L"" : L"\\" + subkey);
}

// Starts a Unix program (by its Unix path) with a command line. Wine gives no handle that can be
// waited on for a Unix child: callers wait for what it makes.
void RunUnix(const std::wstring& unixPath, std::wstring commandLine, const wchar_t* folder) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};  // its handles stay null when the start fails
    CreateProcessW((L"Z:" + unixPath).c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                   nullptr, folder, &si, &pi);
    UniqueHandle process(pi.hProcess), thread(pi.hThread);
}

// The program under libfaketime from an instant: never the real hour or date. Only the wall clock
// is shifted: Wine turns a wait's timeout into a time on the monotonic clock, which the wineserver
// reads unshifted, so a shifted one would make every timed wait of the program wait for ever.
void StartProgram(const std::wstring& folder, const Launch& launch, const std::string& fakeTime) {
    SetEnvironmentVariableW(L"FAKETIME_DONT_FAKE_MONOTONIC", L"1");
    RunUnix(L"/usr/bin/faketime",
            L"faketime -f \"@" + Widen(fakeTime) + L"\" /usr/lib/wine/wine64 \"" + folder + L"\\" +
                launch.exe + L"\" " + launch.arguments,
            folder.c_str());
}

// Ends every process started from folder: the program, or a copy it started, with or without
// a window. A leftover would hold the test run's output open.
void EndAllFrom(const std::wstring& folder) {
    UniqueHFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
         more = Process32NextW(snapshot.get(), &entry)) {
        UniqueHandle p(
            OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE,
                        entry.th32ProcessID));
        wchar_t image[MAX_PATH] = {};
        DWORD size = MAX_PATH;
        if (p && QueryFullProcessImageNameW(p.get(), 0, image, &size) &&
            _wcsnicmp(image, (folder + L"\\").c_str(), folder.size() + 1) == 0 &&
            TerminateProcess(p.get(), 1))
            WaitForSingleObject(p.get(), 10000);
    }
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
    std::promise<void> ready;
    std::future<void> started = ready.get_future();
    m_thread = std::thread([this, ready = std::move(ready)]() mutable {
        EnsureWindowClass(L"ymt_e2e_ui", [](HWND w, UINT m, WPARAM wParam, LPARAM lParam) {
            if (m == kCallMessage)
                (*reinterpret_cast<const std::function<void()>*>(lParam))();
            if (m == kHangMessage)
                Sleep(static_cast<DWORD>(wParam));
            return DefWindowProcW(w, m, wParam, lParam);
        });
        m_window = CreateWindowExW(0, L"ymt_e2e_ui", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
        ready.set_value();
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0)
            DispatchMessageW(&message);
    });
    started.wait();
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

Recorder::Recorder(UiThread& ui, const wchar_t* className) : m_ui(ui) {
    m_ui.Call([&] {
        m_window = CreateDeskWindow(className, L"", nullptr, Proc);
        SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    });
}

Recorder::~Recorder() {
    m_ui.Call([this] { DestroyWindow(m_window); });
}

LRESULT CALLBACK Recorder::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Recorder*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message != WM_COPYDATA || self == nullptr)
        return DefWindowProcW(window, message, wParam, lParam);
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    std::lock_guard<std::mutex> lock(self->m_mutex);
    self->m_records.emplace_back(data->dwData,
                                 std::string(static_cast<const char*>(data->lpData), data->cbData));
    return TRUE;
}

std::vector<std::u16string> Recorder::Texts() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<std::u16string> texts;
    for (const auto& [kind, bytes] : m_records) {
        const auto* text = reinterpret_cast<const char16_t*>(bytes.data());
        if (kind == 102414)  // the sibling's status text
            texts.emplace_back(text, std::find(text, text + bytes.size() / 2, u'\0'));
    }
    return texts;
}

int Recorder::Seconds(const std::u16string& label) const {
    const auto texts = Texts();
    const size_t at = texts.empty() ? std::u16string::npos : texts.back().find(label);
    int h = 0, m = 0, s = 0;
    if (at == std::u16string::npos)
        return -1;
    const std::string digits(texts.back().begin() + at + label.size(), texts.back().end());
    return std::sscanf(digits.c_str(), "%d:%d:%d", &h, &m, &s) == 3 ? h * 3600 + m * 60 + s : -1;
}

std::vector<std::pair<UINT, std::u16string>> Recorder::TrayCalls(DWORD message) const {
    // Wine's record: the window (32 bits), the id, the flags, the callback message, then the tip in
    // 128 units.
    struct WineRecord {
        UINT window, id, flags, callbackMessage;
        char16_t tip[128];
    };
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<std::pair<UINT, std::u16string>> calls;
    for (const auto& [kind, bytes] : m_records) {
        const auto* record = reinterpret_cast<const WineRecord*>(bytes.data());
        if (kind == message && bytes.size() >= sizeof(WineRecord))
            calls.emplace_back(record->flags, (record->flags & NIF_TIP) ? record->tip : u"");
    }
    return calls;
}

HWND OpenBrowser(UiThread& ui, const std::wstring& address) {
    HWND bar = nullptr;
    ui.Call([&] {
        bar = CreateDeskWindow(L"ComboBoxEx32", address, CreateDeskWindow(L"IEFrame", L""));
    });
    return bar;
}

// ---- The program ----

Program::Program(Launch launch) : m_launch(std::move(launch)) {
    static int counter = 0;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    m_folder = std::wstring(temp) + L"ymt-e2e-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
               std::to_wstring(++counter);
    CreateDirectoryW(m_folder.c_str(), nullptr);
    for (std::wstring f : kProgramFiles) {
        f = f == L"ymt.exe" ? m_launch.exe : f;
        CopyFileW((TestsFolder() + L"\\" + f).c_str(), (m_folder + L"\\" + f).c_str(), FALSE);
    }
    if (m_launch.prepare)
        m_launch.prepare(m_folder);
    m_started = std::chrono::steady_clock::now();
    StartProgram(m_folder, m_launch, m_launch.fakeTime);
}

Program::~Program() {
    if (Running())
        LogOff();
    EndAllFrom(m_folder);
    std::error_code ignored;
    std::filesystem::remove_all(m_folder, ignored);
}

void Program::StartAnotherCopy(const std::string& fakeTime) const {
    StartProgram(m_folder, m_launch, fakeTime);
}

bool Program::Up(bool skipGreeting) {
    if (!WaitUntil([&] { return Main() != nullptr; }, 20s))
        return false;
    Adopt(Main());
    if (!skipGreeting)
        return true;
    if (!Shown(true, 20s))
        return false;
    Sleep(700);  // past the fade-in: a click then sends the line to its fade-out
    Click(100, 150);
    return Shown(false, 10s);
}

bool Program::Running() const {
    UniqueHandle p(OpenProcess(SYNCHRONIZE, FALSE, m_processId));
    return p && WaitForSingleObject(p.get(), 0) == WAIT_TIMEOUT;
}

bool Program::WaitForExit(std::chrono::milliseconds timeout) const {
    return WaitUntil([&] { return !Running(); }, timeout);
}

std::string Program::LogOff() {
    const HWND main = Main();
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(main, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer);
    if (answer != TRUE)
        return "the session-end query was answered " + std::to_string(answer);
    // The window is gone as the query returns: no farewell keeps it on the screen.
    return IsWindow(main) || !WaitForExit(10s) ? "the program outlived the log-off" : "";
}

bool Program::Shown(bool shown, std::chrono::milliseconds timeout) const {
    return WaitUntil([&] { return Main() != nullptr && (IsWindowVisible(Main()) != 0) == shown; },
                     timeout);
}

bool Program::OpenCommandList() const {
    // Only a silent character takes the click: let a fading line end first.
    if (!Shown(false, 10s))
        return false;
    PostTray(WM_LBUTTONUP);
    if (!Shown(true, 5s))
        return false;
    Sleep(2500);  // "ごようですか？" is typed, then the list is drawn and waits
    return true;
}

// ---- Unix programs, screenshots and other processes' windows ----

std::optional<std::string> RunShell(const std::wstring& command) {
    static std::atomic<int> counter{0};
    // The output is written aside and renamed when whole, as the end of a Unix child cannot be
    // waited for.
    const std::wstring out = L"/tmp/ymt-e2e-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                             std::to_wstring(++counter) + L".out";
    RunUnix(L"/bin/sh",
            L"/bin/sh -c \"(" + command + L") >'" + out + L".part'; mv '" + out + L".part' '" +
                out + L"'\"",
            nullptr);
    std::optional<std::string> text;
    WaitUntil([&] { return (text = ReadBytes(L"Z:" + out)).has_value(); }, 60s);
    DeleteFileW((L"Z:" + out).c_str());
    return text;
}

std::wstring TestsFolder() {
    wchar_t path[MAX_PATH];
    const std::wstring s(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
    return s.substr(0, s.find_last_of(L'\\'));
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

std::wstring WindowText(HWND window) {
    wchar_t text[4096] = {};
    DWORD_PTR n = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        2000, &n);
    return text;
}

std::wstring BoxText(HWND box) {
    std::wstring all;
    for (HWND child = nullptr; (child = FindWindowExW(box, child, L"Static", nullptr)) != nullptr;)
        all += WindowText(child);
    return all;
}

HWND WaitForBox(const std::wstring& part, std::chrono::milliseconds timeout) {
    HWND found = nullptr;
    auto shown = [&] {
        while ((found = FindWindowExW(nullptr, found, L"#32770", nullptr)) != nullptr) {
            if (IsWindowVisible(found) &&
                (BoxText(found) + WindowText(found)).find(part) != std::wstring::npos)
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

void WriteNumber(const std::wstring& subkey, const std::wstring& name, uint32_t value) {
    RegSetKeyValueW(HKEY_CURRENT_USER, KeyPath(subkey).c_str(), name.c_str(), REG_DWORD, &value,
                    sizeof value);
}

}  // namespace e2e
