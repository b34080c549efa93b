// The Firefox helper's native host against the real file system and registry: the file
// replaced whole, a running profile's lock, the registration's key and types.
#include <windows.h>

#include <gtest/gtest.h>

#include <span>
#include <string>
#include <vector>

#include "common/handles_win.h"
#include "common/text_win.h"
#include "helper/host/atomic_file_win.h"
#include "helper/host/helper_file.h"
#include "helper/host/host_manifest.h"
#include "helper/host/host_ports_win.h"
#include "helper/host/profile_locator_win.h"
#include "helper/host/registration_win.h"
#include "tests/win/scratch_registry_win.h"
#include "tests/win/temp_folder_win.h"

namespace {

constexpr char kId[] = "0b1c2d3e-4f50-4a6b-8c7d-9e0f1a2b3c4d";
constexpr char16_t kIdU[] = u"0b1c2d3e-4f50-4a6b-8c7d-9e0f1a2b3c4d";

// A profile folder whose prefs map identity to the helper.
std::wstring AddProfile(const TempFolder& root, const wchar_t* name, const char* identity) {
    const std::wstring folder = root.path() + L"\\" + name;
    std::filesystem::create_directories(folder);
    WriteBytes(folder + L"\\prefs.js", std::string("user_pref(\"extensions.webextensions.uuids\", "
                                                   "\"{\\\"ymthelp@yomitoki\\\":\\\"") +
                                           identity + "\\\"}\");\n");
    return folder;
}

TEST(HelperHost, ReplacesTheFileWholeAndLeavesNoTemporaryFile) {
    TempFolder dir(L"atomic");
    ASSERT_TRUE(ReplaceFileContent(dir.u16(), u"f.txt", "first, longer content"));
    ASSERT_TRUE(ReplaceFileContent(dir.u16(), u"f.txt", "second"));
    EXPECT_EQ(ReadBytes(dir.path() + L"\\f.txt"), "second");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
    EXPECT_FALSE(ReplaceFileContent(dir.u16() + u"\\missing", u"f.txt", "x"));
}

TEST(HelperHost, OfTwoCopiesOfItsProfileTheRunningOneIsChosen) {
    TempFolder root(L"profiles");
    const std::wstring a = AddProfile(root, L"copy1", kId);
    const std::wstring b = AddProfile(root, L"copy2", kId);
    AddProfile(root, L"other", "11111111-2222-3333-4444-555555555555");
    EXPECT_EQ(FindProfileFolder(root.u16(), kIdU), std::nullopt);
    // Held the way a running Firefox holds it: open, no sharing.
    UniqueHFile lock(CreateFileW((b + L"\\parent.lock").c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                 nullptr, OPEN_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    ASSERT_TRUE(lock);
    EXPECT_TRUE(IsProfileRunning(AsU16(b)));
    EXPECT_FALSE(IsProfileRunning(AsU16(a)));
    EXPECT_EQ(FindProfileFolder(root.u16() + u"\\", kIdU), std::u16string(AsU16(b)));

    // The host writes into that profile only, and a new run continues the marker it finds.
    const std::wstring file = b + L"\\ymthelp_urltext.txt";
    WriteBytes(file, BuildHelperFileContent(kMarkerCycle[6], u"x"));
    HostSession session;
    // One page, then Firefox goes: two writes.
    const std::string body = std::string("{\"id\":\"") + kId + "\",\"url\":\"a\"}";
    std::string input = std::string(1, static_cast<char>(body.size())) + '\0' + '\0' + '\0' + body;
    RunHost(session, MakeHostPorts(root.u16() + u"\\"), [&input](std::span<std::uint8_t> buffer) {
        const std::size_t n = std::min(buffer.size(), input.size());
        std::copy_n(input.begin(), n, buffer.begin());
        input.erase(0, n);
        return n;
    });
    EXPECT_EQ(ReadBytes(file), BuildHelperFileContent(kMarkerCycle[8], u""));
    EXPECT_EQ(ReadBytes(a + L"\\ymthelp_urltext.txt"), std::nullopt);
}

TEST(HelperHost, InstallRegistersTheManifestAsPlainTextAndUninstallRemovesBoth) {
    ScratchCurrentUser scratch(L"helper-install");
    ASSERT_TRUE(scratch.ok());
    TempFolder dir(L"install");
    const std::u16string exe = dir.u16() + u"\\ymthelp.exe";
    const std::u16string manifest = dir.u16() + u"\\ymthelp.json";
    ASSERT_TRUE(InstallHost(exe));
    EXPECT_EQ(ReadBytes(std::wstring(AsWide(manifest))), BuildHostManifest(exe));
    wchar_t value[MAX_PATH] = {};
    DWORD type = 0;
    DWORD size = sizeof value;
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, AsWide(kNativeHostKeyPath), nullptr,
                           RRF_RT_ANY | RRF_NOEXPAND, &type, value, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(std::u16string(AsU16(value)), manifest);
    ASSERT_TRUE(UninstallHost(exe));
    EXPECT_EQ(RegisteredManifestPath(), std::nullopt);
    EXPECT_EQ(ReadBytes(std::wstring(AsWide(manifest))), std::nullopt);
}

}  // namespace
