// Reading in a real Firefox: Firefox ESR on this machine (headless, a Unix program) with the
// built extension in a fresh profile, ymthelp.exe as its native host in the test prefix, and
// ymt.exe in the same prefix counting what the host writes. The windows and tabs are opened,
// focused and closed through Marionette, Firefox's own remote-control protocol.
#include <windows.h>
#include <winsock2.h>

#include <shlobj.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "common/handles_win.h"
#include "tests/e2e/desk_win.h"

namespace {

using namespace e2e;

const std::string kArticle = "https://ja.wikipedia.org/wiki/%E7%8C%AB";
const std::string kSecondArticle = "https://ja.wikipedia.org/wiki/%E7%8A%AC";
const std::string kPrivateArticle = "https://ja.wikipedia.org/wiki/%E7%8B%90";

std::wstring Widen(const std::string& s) {
    return std::wstring(s.begin(), s.end());
}

std::wstring Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? Widen(value) : std::wstring();
}

// Marionette's wire: "<length>:<json>" both ways. A command is [0, id, name, parameters], its
// answer [1, id, error or null, result].
class Marionette {
  public:
    struct Answer {
        bool ok = false;
        std::string text;  // the whole answer, for messages
    };

    Marionette() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
    ~Marionette() {
        if (m_socket != INVALID_SOCKET)
            closesocket(m_socket);
        WSACleanup();
    }
    Marionette(const Marionette&) = delete;
    Marionette& operator=(const Marionette&) = delete;

    bool Connect(int port) {
        m_socket = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        DWORD timeout = 60000;
        setsockopt(m_socket, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout),
                   sizeof timeout);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<u_short>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (connect(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
            return false;
        return Receive().find("marionetteProtocol") != std::string::npos &&
               Command("WebDriver:NewSession").ok;
    }

    Answer Command(const std::string& name, const std::string& parameters = "{}") {
        const std::string body =
            "[0," + std::to_string(++m_id) + ",\"" + name + "\"," + parameters + "]";
        const std::string frame = std::to_string(body.size()) + ":" + body;
        send(m_socket, frame.data(), static_cast<int>(frame.size()), 0);
        Answer answer;
        answer.text = Receive();
        const std::string head = "[1," + std::to_string(m_id) + ",null,";
        answer.ok = answer.text.rfind(head, 0) == 0;
        return answer;
    }

    // A value of the answer's result: "handle" of a new window, for instance.
    static std::string Field(const std::string& text, const std::string& name) {
        const std::string key = "\"" + name + "\":\"";
        const size_t at = text.find(key);
        if (at == std::string::npos)
            return {};
        const size_t begin = at + key.size();
        return text.substr(begin, text.find('"', begin) - begin);
    }

  private:
    std::string Receive() {
        std::string length;
        char c = 0;
        while (recv(m_socket, &c, 1, 0) == 1 && c != ':')
            length += c;
        std::string body(length.empty() ? 0 : std::stoul(length), '\0');
        for (size_t got = 0; got < body.size();) {
            const int n = recv(m_socket, body.data() + got, static_cast<int>(body.size() - got), 0);
            if (n <= 0)
                return {};
            got += static_cast<size_t>(n);
        }
        return body;
    }

    SOCKET m_socket = INVALID_SOCKET;
    int m_id = 0;
};

// Firefox started by tests/e2e/firefox_desk.sh with a profile under the prefix's Profiles
// folder, where ymthelp.exe writes and ymt.exe reads. Everything it started is killed when
// this ends, whatever the test's outcome.
class Firefox {
  public:
    explicit Firefox(const std::string& url) {
        wchar_t appData[MAX_PATH] = {};
        SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, appData);
        m_profile = std::wstring(appData) + L"\\Mozilla\\Firefox\\Profiles\\ymt-e2e.firefox";
        SHCreateDirectoryExW(nullptr, m_profile.c_str(), nullptr);
        wchar_t exe[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, exe, MAX_PATH);
        std::wstring bin(exe);
        bin.resize(bin.find_last_of(L'\\'));
        Desk(L"start '" + m_run + L"' '" + UnixPath(m_profile) + L"' '" +
             UnixPath(bin + L"\\ymthelp.xpi") + L"' '" + UnixPath(bin + L"\\ymthelp.exe") + L"' '" +
             Widen(url) + L"'");
    }
    ~Firefox() {
        Desk(L"stop '" + m_run + L"'");
        DeleteFileW(HelperFile().c_str());
    }
    Firefox(const Firefox&) = delete;
    Firefox& operator=(const Firefox&) = delete;

    // Connects once Firefox listens (it writes its port into the profile).
    bool Connect(std::chrono::milliseconds timeout) {
        int port = 0;
        WaitUntil(
            [&] {
                const std::wstring path = m_profile + L"\\MarionetteActivePort";
                FILE* file = _wfopen(path.c_str(), L"r");
                if (file == nullptr)
                    return false;
                const bool read = fscanf(file, "%d", &port) == 1;
                fclose(file);
                return read && port > 0;
            },
            timeout);
        return port > 0 && marionette.Connect(port);
    }

    // The process ids of this Firefox and all it started (the host among them).
    std::string Processes() { return Desk(L"running '" + m_run + L"'").value_or("?"); }

    std::wstring HelperFile() const { return m_profile + L"\\ymthelp_urltext.txt"; }

    // The helper file as UTF-16 units after the byte-order mark (marker, separator, address).
    std::u16string HelperFileText() const {
        std::u16string text(2100, u'\0');
        UniqueHFile file(CreateFileW(HelperFile().c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, 0, nullptr));
        if (!file)
            return {};
        DWORD read = 0;
        ReadFile(file.get(), text.data(), static_cast<DWORD>(text.size() * 2), &read, nullptr);
        text.resize(read / 2);
        return !text.empty() && text[0] == u'\xFEFF' ? text.substr(1) : text;
    }

    Marionette marionette;

  private:
    std::optional<std::string> Desk(const std::wstring& arguments) {
        return RunShell(L"'" + Environment("YMT_FIREFOX_DESK") + L"' " + arguments);
    }

    std::wstring m_run = Environment("YMT_FIREFOX_RUN");
    std::wstring m_profile;
};

bool HostRunning() {
    UniqueHFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    bool found = false;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more && !found;
         more = Process32NextW(snapshot.get(), &entry)) {
        found = _wcsicmp(entry.szExeFile, L"ymthelp.exe") == 0;
    }
    return found;
}

// The seconds in a sibling text after label ("YMT 本日[ 0:00:05] 連続[ 0:00:03]").
int SecondsAfter(const std::u16string& text, const std::u16string& label) {
    const size_t at = text.find(label);
    if (at == std::u16string::npos)
        return -1;
    unsigned h = 0, m = 0, s = 0;
    std::string digits;
    for (size_t i = at + label.size(); i < text.size() && text[i] != u']'; ++i)
        digits += static_cast<char>(text[i]);
    if (sscanf(digits.c_str(), "%u:%u:%u", &h, &m, &s) != 3)
        return -1;
    return static_cast<int>(h * 3600 + m * 60 + s);
}

class RealFirefox : public ::testing::Test {
  protected:
    void SetUp() override {
        DeleteProgramKey();
        // Without the end-of-reading notice every stretch starts again at one second.
        WriteNumber(L"", L"NotifyFinish", 0);
    }
    void TearDown() override { DeleteProgramKey(); }

    size_t Mark() const { return sibling.Texts().size(); }

    // Waits for this many seconds counted after the mark.
    bool WaitForCounted(size_t mark, size_t seconds, std::chrono::milliseconds timeout) {
        return WaitUntil(
            [&] {
                const auto texts = sibling.Texts();
                size_t counted = 0;
                for (size_t i = mark; i < texts.size(); ++i)
                    counted += texts[i].empty() ? 0 : 1;
                return counted >= seconds;
            },
            timeout);
    }

    // Waits for the end of the stretch after the mark; the seconds counted after the mark.
    std::optional<int> WaitForEnd(size_t mark, std::chrono::milliseconds timeout) {
        std::optional<int> counted;
        WaitUntil(
            [&] {
                const auto texts = sibling.Texts();
                for (size_t i = mark; i < texts.size(); ++i) {
                    if (texts[i].empty()) {
                        counted = static_cast<int>(i - mark);
                        return true;
                    }
                }
                return false;
            },
            timeout);
        return counted;
    }

    UiThread ui;
    Sibling sibling{ui};
};

TEST_F(RealFirefox, CountsTheActiveTabOfTheFocusedWindowUntilFirefoxEnds) {
    Program program;
    Firefox firefox(kArticle);
    ASSERT_NE(program.WaitForMainWindow(), nullptr);
    ASSERT_TRUE(firefox.Connect(60s)) << "no Marionette: see build/windows/firefox-e2e/firefox.log";
    Marionette& m = firefox.marionette;
    const std::string firstTab =
        Marionette::Field(m.Command("WebDriver:GetWindowHandle").text, "value");
    auto switchTo = [&](const std::string& handle) {
        return m
            .Command("WebDriver:SwitchToWindow", "{\"handle\":\"" + handle + "\",\"focus\":true}")
            .ok;
    };
    // An error page (there is no network) keeps the address: the answer is an error.
    auto navigate = [&](const std::string& url) {
        m.Command("WebDriver:Navigate", "{\"url\":\"" + url + "\"}");
    };
    auto open = [&](const std::string& parameters) {
        const std::string handle =
            Marionette::Field(m.Command("WebDriver:NewWindow", parameters).text, "handle");
        return !handle.empty() && switchTo(handle);
    };

    // What the host wrote last, for failure messages.
    auto written = [&] {
        const std::u16string text = firefox.HelperFileText();
        return "helper file: " + std::string(text.begin(), text.end());
    };
    // The stretch ends after its grace, with at most a second or two counted after the mark
    // (the sample in flight when the page went).
    auto ends = [&](size_t mark) {
        const auto counted = WaitForEnd(mark, 15s);
        return counted.has_value() && *counted <= 3;
    };
    auto resumes = [&](size_t mark) { return WaitForCounted(mark, 2, 15s); };

    // The article in the one window: counted from the first second on.
    ASSERT_TRUE(WaitForCounted(0, 4, 90s)) << "see build/windows/firefox-e2e/firefox.log";

    // A second window takes the focus: the article behind it is not counted. Then the focus
    // moves back to the article's window.
    ASSERT_TRUE(open("{\"type\":\"window\",\"focus\":true}"));
    ASSERT_TRUE(ends(Mark())) << written() << ": the unfocused window's article is counted";
    size_t mark = Mark();
    ASSERT_TRUE(switchTo(firstTab));
    ASSERT_TRUE(resumes(mark)) << written();

    // A second tab, active, goes to another article and then to a page that is none: the
    // first tab's article does not count. That tab closed, the first one counts again.
    ASSERT_TRUE(open("{\"type\":\"tab\",\"focus\":true}"));
    navigate(kSecondArticle);
    navigate("about:blank");
    ASSERT_TRUE(ends(Mark())) << written() << ": the first tab's address is counted";
    mark = Mark();
    ASSERT_TRUE(m.Command("WebDriver:CloseWindow").ok);
    ASSERT_TRUE(switchTo(firstTab));
    ASSERT_TRUE(resumes(mark)) << written();

    // A private window, where the extension is not allowed, shows an article and has the
    // focus: neither it nor the window behind it counts.
    ASSERT_TRUE(open("{\"type\":\"window\",\"private\":true,\"focus\":true}"));
    const size_t privateMark = Mark();
    navigate(kPrivateArticle);
    ASSERT_TRUE(ends(privateMark)) << written() << ": counted while a private window has the focus";
    ASSERT_TRUE(m.Command("WebDriver:CloseWindow").ok);
    mark = Mark();
    ASSERT_TRUE(switchTo(firstTab));
    ASSERT_TRUE(resumes(mark)) << written();

    // Firefox ends: its host ends with it and leaves the file without an address, the
    // stretch ends, the marker stands still and nothing of that Firefox runs any more.
    mark = Mark();
    m.Command("Marionette:Quit");
    EXPECT_TRUE(WaitUntil([] { return !HostRunning(); }, 30s)) << "ymthelp.exe still runs";
    const std::u16string last = firefox.HelperFileText();
    EXPECT_EQ(last.size(), 2u) << "a marker, a separator, no address";
    ASSERT_TRUE(ends(mark));
    EXPECT_TRUE(WaitUntil([&] { return firefox.Processes().empty(); }, 30s))
        << "left running: " << firefox.Processes();
    EXPECT_EQ(firefox.HelperFileText(), last) << "the marker still changes";

    // Every stretch counted one second a tick, and the day's total is what was counted.
    const auto texts = sibling.Texts();
    int previous = 0, today = 0;
    for (const auto& text : texts) {
        const int continuous = SecondsAfter(text, u"連続[");
        if (text.empty()) {
            previous = 0;
            continue;
        }
        EXPECT_EQ(continuous, previous + 1);
        EXPECT_EQ(SecondsAfter(text, u"本日["), today + 1);
        previous = continuous;
        today = SecondsAfter(text, u"本日[");
    }
    LogOff(program);
    ASSERT_TRUE(program.WaitForExit(10s));
    EXPECT_EQ(ReadNumber(L"Log", L"20261206"), static_cast<uint32_t>(today));
}

}  // namespace
