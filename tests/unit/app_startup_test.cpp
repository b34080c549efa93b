#include <gtest/gtest.h>

#include "app/startup.h"
#include "app/version_text.h"

namespace {

TEST(WorkingFolder, DriveRootsKeepTheirBackslash) {
    EXPECT_EQ(WorkingFolderFor(u"C:\\ymt.exe"), u"C:\\");
    EXPECT_EQ(WorkingFolderFor(u"C:\\ab\\ymt.exe"), u"C:\\ab");
    EXPECT_EQ(WorkingFolderFor(u"C:\\Program Files\\ヨミトキ\\ymt.exe"),
              u"C:\\Program Files\\ヨミトキ");
    EXPECT_EQ(WorkingFolderFor(u"\\ymt.exe"), u"");  // index 0 is not searched
}

TEST(EditionPlugin, ChosenBySettingOrPinnedByTheProgramsName) {
    EXPECT_EQ(ChooseEditionPlugin(u"C:\\y\\ymt.exe", 0).library, u".\\ymthinata.dll");
    EXPECT_TRUE(ChooseEditionPlugin(u"C:\\y\\YMT.EXE", 1).choiceEnabled);
    EXPECT_EQ(ChooseEditionPlugin(u"C:\\y\\YMT.EXE", 1).library, u".\\ymttsubaki.dll");
    EXPECT_EQ(ChooseEditionPlugin(u"C:\\y\\ymt.exe", 2).library, u".\\ymtsazanka.dll");
    for (int other : {3, -1, 255}) {
        EXPECT_EQ(ChooseEditionPlugin(u"C:\\y\\ymt.exe", other).library, u".\\ymthinata.dll");
    }
    EXPECT_EQ(ChooseEditionPlugin(u"C:\\y\\ymtvoice.exe", 2).library, u".\\ymtsazanka.dll");
    const EditionChoice pinned = ChooseEditionPlugin(u"C:\\y\\ymttsubaki.exe", 2);
    EXPECT_EQ(pinned.library, u"C:\\y\\ymttsubaki.dll");
    EXPECT_FALSE(pinned.choiceEnabled);
    EXPECT_EQ(ChooseEditionPlugin(u"C:\\y\\other.exe", 0).library, u"C:\\y\\other.dll");
}

TEST(EditionPlugin, SeedWrapsModulo2To32) {
    EXPECT_EQ(RandomSeed(1000, 2, 3), 1123u);
    EXPECT_EQ(RandomSeed(0xFFFFFFFFu, 0, 2), 1u);
}

TEST(VersionText, NumbersAndSuffix) {
    const auto firstLine = [](std::u16string_view version) {
        std::u16string text =
            FormatVersionText(u"ヨミトキ", ParseFileVersion(version), u"ひなた", u"(C) T");
        return text.substr(0, text.find(u"\r\n"));
    };
    EXPECT_EQ(firstLine(u"1, 6, 7, 0"), u"ヨミトキ version 1.67");
    EXPECT_EQ(firstLine(u"1, 6, 7, 2"), u"ヨミトキ version 1.67b");
    EXPECT_EQ(firstLine(u"1, 10, 2, 0"), u"ヨミトキ version 1.102");
    EXPECT_EQ(firstLine(u"1,6"), u"ヨミトキ version 1.60");
    const std::u16string whole =
        FormatVersionText(u"ヨミトキ", ParseFileVersion(u"1, 6, 7, 0"), u"ひなた", u"(C) T");
    EXPECT_EQ(whole.find(u"ヨミトキ version 1.67\r\nひなた\r\n\r\n(C) T\r\n\r\n"), 0u);
}

}  // namespace
