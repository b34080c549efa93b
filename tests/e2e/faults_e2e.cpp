// Programs around ours that stop answering must not stop it: it keeps counting other
// sources, and its command list still opens.
#include <gtest/gtest.h>

#include "tests/e2e/desk_win.h"

namespace {

using namespace e2e;

const std::vector<std::wstring> kIeAddressBar = {L"ComboBoxEx32"};
const std::wstring kArticle = L"http://ja.wikipedia.org/wiki/%E7%8C%AB";

class Faults : public ::testing::Test {
  protected:
    void SetUp() override { DeleteProgramKey(); }
    void TearDown() override { DeleteProgramKey(); }
};

// The seconds of the stretch in the last status text, or -1.
int Continuous(const Sibling& sibling) {
    const std::u16string last = sibling.Last();
    const size_t at = last.find(u"連続[");
    if (at == std::u16string::npos)
        return -1;
    const std::u16string hms = last.substr(at + 3, 8);  // "%2u:%02u:%02u"
    auto num = [&](size_t i, size_t n) {
        int v = 0;
        for (size_t k = i; k < i + n; ++k) {
            if (hms[k] >= u'0' && hms[k] <= u'9')
                v = v * 10 + (hms[k] - u'0');
        }
        return v;
    };
    return num(0, 2) * 3600 + num(3, 2) * 60 + num(6, 2);
}

TEST_F(Faults, AHungSiblingAndAHungBrowserDoNotStopTheCount) {
    UiThread siblingUi, browserUi, hungUi;
    Sibling sibling(siblingUi);
    Browsers browsers(browserUi), hungBrowsers(hungUi);
    Program program;
    ASSERT_NE(program.WaitForMainWindow(), nullptr);
    ASSERT_TRUE(SkipGreeting(program));
    browsers.Open(L"IEFrame", kIeAddressBar, kArticle);
    // A browser in front that no longer answers: its reads time out, the next one counts.
    hungBrowsers.Open(L"IEFrame", kIeAddressBar, L"http://ja.wikipedia.org/wiki/Hung");
    ASSERT_TRUE(WaitUntil([&] { return Continuous(sibling) >= 2; }, 15s));
    hungUi.Hang(12s);
    const int before = Continuous(sibling);
    siblingUi.Hang(6s);  // the sibling too
    // The command list still opens at once while both hang.
    Sleep(500);
    program.PostTray(WM_LBUTTONUP);
    EXPECT_TRUE(WaitForShown(program, true, 1500ms)) << "the command list";
    Sleep(7000);
    EXPECT_TRUE(WaitUntil([&] { return Continuous(sibling) >= before + 6; }, 2s))
        << "counted on while the sibling hung: " << before << " then " << Continuous(sibling);
    LogOff(program);
    program.WaitForExit(10s);
}

}  // namespace
