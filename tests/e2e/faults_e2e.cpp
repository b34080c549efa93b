// Programs around ours that stop answering, damaged plug-ins and damaged settings must not
// stop it.
#include "tests/e2e/desk_test.h"

namespace {

using namespace e2e;
using Faults = Desk;

TEST_F(Faults, AHungSiblingAndAHungBrowserDoNotStopTheCount) {
    UiThread siblingUi, browserUi, hungUi;
    Sibling sibling(siblingUi);
    Browsers browsers(browserUi), hungBrowsers(hungUi);
    RunningProgram program;
    ASSERT_TRUE(program.Up());
    browsers.Open(L"IEFrame", kIeAddressChain, kArticleAddress);
    // A browser in front that no longer answers: its reads time out, the next one counts.
    hungBrowsers.Open(L"IEFrame", kIeAddressChain, L"http://ja.wikipedia.org/wiki/Hung");
    ASSERT_TRUE(WaitUntil([&] { return sibling.Seconds(u"連続[") >= 2; }, 15s));
    hungUi.Hang(12s);
    const int before = sibling.Seconds(u"連続[");
    siblingUi.Hang(6s);  // the sibling too
    // The command list still opens at once while both hang.
    Sleep(500);
    program.PostTray(WM_LBUTTONUP);
    EXPECT_TRUE(WaitForShown(program, true, 1500ms)) << "the command list";
    Sleep(7000);
    EXPECT_TRUE(WaitUntil([&] { return sibling.Seconds(u"連続[") >= before + 6; }, 2s))
        << "counted on while the sibling hung: " << before << " then " << sibling.Seconds(u"連続[");
}

// Replaces resources of a plug-in copy with damaged data: even ids the cut start of a
// scrambled PNG, odd ids noise.
void DamageResources(const std::wstring& dll, int first, int last) {
    HANDLE update = BeginUpdateResourceW(dll.c_str(), FALSE);
    ASSERT_NE(update, nullptr);
    for (int id = first; id <= last; ++id) {
        std::string bytes;
        for (size_t i = 0; i < (id % 2 == 0 ? 40u : 3000u); ++i) {
            const int png = i < 4 ? "\x89PNG"[i] : 0;
            bytes += static_cast<char>(id % 2 == 0 ? png ^ 0x5A : i * 131 + id);
        }
        UpdateResourceW(update, L"RT_RCDATA", MAKEINTRESOURCEW(id),
                        MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL), bytes.data(),
                        static_cast<DWORD>(bytes.size()));
    }
    ASSERT_TRUE(EndUpdateResourceW(update, FALSE));
}

TEST_F(Faults, DamagedPicturesAndClipsLeaveTheProgramRunning) {
    Launch launch;
    launch.prepare = [](const std::wstring& folder) {
        DamageResources(folder + L"\\ymthinata.dll", 138, 160);
        DamageResources(folder + L"\\ymtvoice.dll", 131, 263);
    };
    RunningProgram program(launch);  // the greeting runs, without its pictures
    ASSERT_TRUE(program.Up());
    ASSERT_TRUE(OpenCommandList(program));
    ClickCommand(program, kExit);
    EXPECT_TRUE(program.WaitForExit(20s));
    EXPECT_TRUE(ReadNumber(L"", L"Voice").has_value());
}

TEST_F(Faults, SettingsOfWrongTypesLoadAndAreSavedBackSound) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Torvenal\\Yomitoki\\CurrentVersion", 0,
                              nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const BYTE odd[] = {0x31, 0x00, 0x32};  // "1" and half a unit, unterminated
    for (const auto& [name, type] :
         {std::pair{L"NotifyFinish", REG_SZ}, std::pair{L"Voice", REG_BINARY},
          std::pair{L"Alarm1h", REG_MULTI_SZ}, std::pair{L"Alarm2Mes", REG_NONE},
          std::pair{L"Alarm3Mes", REG_QWORD}, std::pair{L"WindowTop", REG_EXPAND_SZ}}) {
        RegSetValueExW(key, name, 0, type, odd, sizeof odd);
    }
    RegSetValueExW(key, L"SelEdition", 0, REG_SZ, odd, 0);
    RegCloseKey(key);
    RunningProgram program;
    ASSERT_TRUE(program.Up());
    ASSERT_EQ(program.LogOffAndWait(), "");
    // Saved back with their own types: numbers from the text "1" or the bytes 31 00 32,
    // texts from their one whole unit.
    EXPECT_EQ(ReadNumber(L"", L"NotifyFinish"), 1u);
    EXPECT_EQ(ReadNumber(L"", L"Alarm1h"), 1u);
    EXPECT_EQ(ReadNumber(L"", L"SelEdition"), 0u);
    EXPECT_TRUE(ReadNumber(L"", L"Voice").has_value());
    EXPECT_TRUE(ReadNumber(L"", L"WindowTop").has_value());
    EXPECT_EQ(ReadText(L"", L"Alarm2Mes"), L"1");
    EXPECT_EQ(ReadText(L"", L"Alarm3Mes"), L"1");
}

}  // namespace
