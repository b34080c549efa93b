#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "helper/host/profile_choice.h"

namespace {

constexpr char16_t kId[] = u"0b1c2d3e-4f50-4a6b-8c7d-9e0f1a2b3c4d";

std::string PrefsWith(const std::string& uuids_value) {
    return "// Mozilla User Preferences\n\n"
           "user_pref(\"browser.startup.page\", 3);\n"
           "user_pref(\"extensions.webextensions.uuids\", \"" +
           uuids_value +
           "\");\n"
           "user_pref(\"zzz\", true);\n";
}

TEST(HelperProfile, IdentityFormat) {
    EXPECT_TRUE(IsExtensionIdentity(kId));
    EXPECT_FALSE(IsExtensionIdentity(u""));
    EXPECT_FALSE(
        IsExtensionIdentity(u"0B1C2D3E-4F50-4A6B-8C7D-9E0F1A2B3C4D"));  // Firefox writes lower case
    EXPECT_FALSE(IsExtensionIdentity(u"0b1c2d3e04f50-4a6b-8c7d-9e0f1a2b3c4d"));
    EXPECT_FALSE(IsExtensionIdentity(u"0b1c2d3e-4f50-4a6b-8c7d-9e0f1a2b3c4"));
    EXPECT_FALSE(IsExtensionIdentity(u"0b1c2d3e-4f50-4a6b-8c7d-9e0f1a2b3c4dd"));
    EXPECT_FALSE(IsExtensionIdentity(u"..\\..\\x-4f50-4a6b-8c7d-9e0f1a2b3c4d"));
    EXPECT_FALSE(IsExtensionIdentity(u"0b1c2d3e-4f50-4a6b-8c7d-9e0f1a2b3c4\0"));
}

TEST(HelperProfile, PrefsMapTheIdentityOnlyInTheUuidsPreference) {
    EXPECT_TRUE(PrefsMapIdentity(
        PrefsWith(
            "{\\\"a@b\\\":\\\"11111111-2222-3333-4444-555555555555\\\",\\\"ymthelp@yomitoki\\\":"
            "\\\"0b1c2d3e-4f50-4a6b-8c7d-9e0f1a2b3c4d\\\"}"),
        kId));
    // Another profile: the extension has another identity there.
    EXPECT_FALSE(PrefsMapIdentity(
        PrefsWith("{\\\"ymthelp@yomitoki\\\":\\\"99999999-4f50-4a6b-8c7d-9e0f1a2b3c4d\\\"}"), kId));
    // Mentioned elsewhere, not mapped.
    EXPECT_FALSE(PrefsMapIdentity(
        "user_pref(\"x\", \"moz-extension://0b1c2d3e-4f50-4a6b-8c7d-9e0f1a2b3c4d/\");\n", kId));
    // Only part of a longer word.
    EXPECT_FALSE(PrefsMapIdentity(
        PrefsWith("{\\\"e\\\":\\\"a0b1c2d3e-4f50-4a6b-8c7d-9e0f1a2b3c4d\\\"}"), kId));
    EXPECT_FALSE(PrefsMapIdentity(
        PrefsWith("{\\\"e\\\":\\\"0b1c2d3e-4f50-4a6b-8c7d-9e0f1a2b3c4d0\\\"}"), kId));
    // The preference as the very last line, without a line end, and with CR LF.
    EXPECT_TRUE(
        PrefsMapIdentity("user_pref(\"extensions.webextensions.uuids\", "
                         "\"{\\\"e\\\":\\\"0b1c2d3e-4f50-4a6b-8c7d-9e0f1a2b3c4d\\\"}\");",
                         kId));
    EXPECT_TRUE(
        PrefsMapIdentity("a\r\nuser_pref(\"extensions.webextensions.uuids\", "
                         "\"{\\\"e\\\":\\\"0b1c2d3e-4f50-4a6b-8c7d-9e0f1a2b3c4d\\\"}\");\r\n",
                         kId));
    EXPECT_FALSE(PrefsMapIdentity("", kId));
    EXPECT_FALSE(PrefsMapIdentity(PrefsWith(""), u""));  // a bad identity matches nothing
}

TEST(HelperProfile, PlainFolderNames) {
    EXPECT_TRUE(IsPlainFolderName(u"abcd1234.default-release"));
    EXPECT_TRUE(IsPlainFolderName(u"日本語 プロファイル"));
    using namespace std::string_view_literals;
    for (const std::u16string_view bad :
         {u""sv, u"."sv, u".."sv, u"a\\b"sv, u"a/b"sv, u"c:"sv, u"x:stream"sv, u"a\0b"sv}) {
        EXPECT_FALSE(IsPlainFolderName(bad));
    }
}

TEST(HelperProfile, ChoiceOfOneOrTheOnlyRunningOne) {
    EXPECT_EQ(ChooseProfile({}), std::nullopt);
    const std::vector<ProfileMatch> one = {{u"a", false}};
    EXPECT_EQ(ChooseProfile(one), u"a");  // the only match, running or not
    const std::vector<ProfileMatch> copies = {{u"a", false}, {u"b", true}, {u"c", false}};
    EXPECT_EQ(ChooseProfile(copies), u"b");
    const std::vector<ProfileMatch> idle = {{u"a", false}, {u"b", false}};
    EXPECT_EQ(ChooseProfile(idle), std::nullopt);
    const std::vector<ProfileMatch> both = {{u"a", true}, {u"b", true}};
    EXPECT_EQ(ChooseProfile(both), std::nullopt);
}

}  // namespace
