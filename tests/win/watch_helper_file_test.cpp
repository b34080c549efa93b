// The Firefox helper files on the real file system, under a profile root of the test's own
// (APPDATA pointed at a temporary folder).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "common/handles_win.h"
#include "common/text_win.h"
#include "watch/browser_watch_win.h"

namespace {

std::vector<uint8_t> Bytes(std::u16string_view text, bool mark = true) {
    std::vector<uint8_t> bytes;
    if (mark) {
        bytes = {0xFF, 0xFE};
    }
    for (char16_t c : text) {
        bytes.push_back(static_cast<uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<uint8_t>(c >> 8));
    }
    return bytes;
}

bool WriteFileBytes(const std::wstring& path, const std::vector<uint8_t>& bytes) {
    UniqueHFile file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file &&
           WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr) &&
           written == bytes.size();
}

std::vector<uint8_t> ReadFileBytes(const std::wstring& path) {
    UniqueHFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::vector<uint8_t> bytes(1 << 16);
    DWORD read = 0;
    if (!file ||
        !ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) {
        return {};
    }
    bytes.resize(read);
    return bytes;
}

void RemoveTree(const std::wstring& dir) {
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((dir + L"\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            const std::wstring path = dir + L"\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryW(dir.c_str());
}

// APPDATA pointed at a fresh temporary folder holding the Firefox profile root, for the
// life of the fixture; the old value comes back afterwards.
struct ProfileRoot : ::testing::Test {
    std::wstring appData;
    std::wstring root;  // ends with a backslash
    std::wstring oldAppData;
    bool hadAppData = false;
    BrowserWatch watch;
    CurrentArticle article;

    void SetUp() override {
        wchar_t temp[MAX_PATH];
        ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
        static int counter = 0;
        appData = std::wstring(temp) + L"ymt-watch-" + std::to_wstring(GetCurrentProcessId()) +
                  L"-" + std::to_wstring(++counter);
        RemoveTree(appData);
        root = appData + L"\\Mozilla\\Firefox\\Profiles\\";
        for (const std::wstring& dir :
             {appData, appData + L"\\Mozilla", appData + L"\\Mozilla\\Firefox", root}) {
            ASSERT_TRUE(CreateDirectoryW(dir.c_str(), nullptr));
        }
        wchar_t old[32768];
        const DWORD n = GetEnvironmentVariableW(L"APPDATA", old, 32768);
        hadAppData = n > 0 && n < 32768;
        if (hadAppData) {
            oldAppData = old;
        }
        ASSERT_TRUE(SetEnvironmentVariableW(L"APPDATA", appData.c_str()));
    }
    void TearDown() override {
        SetEnvironmentVariableW(L"APPDATA", hadAppData ? oldAppData.c_str() : nullptr);
        RemoveTree(appData);
    }

    std::wstring Profile(const std::wstring& name) {
        const std::wstring dir = root + name;
        CreateDirectoryW(dir.c_str(), nullptr);
        return dir + L"\\ymthelp_urltext.txt";
    }
    std::wstring Write(const std::wstring& profile, std::u16string_view text, bool mark = true) {
        const std::wstring path = Profile(profile);
        EXPECT_TRUE(WriteFileBytes(path, Bytes(text, mark)));
        return path;
    }
    std::wstring Remembered() const {
        return std::wstring(AsWide(watch.helperFiles().RememberedHelperPath));
    }
    char16_t Marker() const { return watch.helperFiles().LastHelperMarker; }
};

TEST_F(ProfileRoot, TheFirstReadCountsAndRemembersTheFile) {
    const std::wstring path = Write(L"abcd.default", u"1|http://ja.wikipedia.org/wiki/Foo");
    EXPECT_FALSE(watch.RereadRememberedHelperFile(article));  // nothing remembered yet
    EXPECT_TRUE(watch.ScanFirefoxProfiles(article));
    EXPECT_EQ(Remembered(), path);
    EXPECT_EQ(Marker(), u'1');
    EXPECT_EQ(std::u16string(article.c_str()), u"Foo");

    Write(L"abcd.default", u"2|http://ja.wikipedia.org/wiki/Bar", false);  // no mark
    EXPECT_TRUE(watch.RereadRememberedHelperFile(article));
    EXPECT_EQ(std::u16string(article.c_str()), u"Bar");
}

TEST_F(ProfileRoot, TheSameMarkerTwiceMissesAndForgetsTheFile) {
    Write(L"p.default", u"x|http://ja.wikipedia.org/wiki/Foo");
    ASSERT_TRUE(watch.ScanFirefoxProfiles(article));
    EXPECT_FALSE(watch.RereadRememberedHelperFile(article));
    EXPECT_TRUE(Remembered().empty());
    EXPECT_FALSE(watch.ScanFirefoxProfiles(article));  // the same sample's scan
    EXPECT_EQ(Marker(), u'x');
}

TEST_F(ProfileRoot, TwoProfilesShareTheMarker) {
    Write(L"a.default", u"x|http://ja.wikipedia.org/wiki/A");
    const std::wstring b = Write(L"b.default", u"y|http://ja.wikipedia.org/wiki/B");
    // Each read changes the marker for the other: both count on every scan. The listing's
    // order is the file system's, so only the shared marker is checked, not which is last.
    for (int sample = 0; sample < 3; ++sample) {
        EXPECT_TRUE(watch.ScanFirefoxProfiles(article));
        EXPECT_FALSE(Remembered().empty());
    }
    // Alone, the file counts once more at most, then its unchanged marker misses.
    DeleteFileW(b.c_str());
    watch.ScanFirefoxProfiles(article);
    EXPECT_FALSE(watch.ScanFirefoxProfiles(article));
}

TEST_F(ProfileRoot, ARootAndAProfileMadeAfterTheyWereLookedForAreFound) {
    // The system tells of a new folder (Windows at once, Wine a moment later).
    auto foundWithin = [&](int samples) {
        for (int sample = 0; sample < samples; ++sample) {
            if (watch.ScanFirefoxProfiles(article)) {
                return true;
            }
            Sleep(50);
        }
        return false;
    };
    RemoveTree(appData + L"\\Mozilla");
    EXPECT_FALSE(watch.ScanFirefoxProfiles(article));  // no root: the folder above is watched
    for (const std::wstring& dir :
         {appData + L"\\Mozilla", appData + L"\\Mozilla\\Firefox", root}) {
        ASSERT_TRUE(CreateDirectoryW(dir.c_str(), nullptr));
    }
    EXPECT_FALSE(foundWithin(10));  // found, listed empty, and watched
    const std::wstring path = Write(L"late.default", u"1|http://ja.wikipedia.org/wiki/Late");
    EXPECT_TRUE(foundWithin(40));
    EXPECT_EQ(Remembered(), path);
}

TEST_F(ProfileRoot, FilesInTheRootAndEntriesThatAreNoFoldersAreIgnored) {
    ASSERT_TRUE(WriteFileBytes(root + L"ymthelp_urltext.txt",
                               Bytes(u"1|http://ja.wikipedia.org/wiki/Root")));
    ASSERT_TRUE(
        WriteFileBytes(root + L"looks.default", Bytes(u"2|http://ja.wikipedia.org/wiki/File")));
    CreateDirectoryW((root + L"empty.default").c_str(), nullptr);
    EXPECT_FALSE(watch.ScanFirefoxProfiles(article));
    EXPECT_EQ(Marker(), kNoHelperMarker);  // nothing was read
}

TEST_F(ProfileRoot, ALockedOrMissingFileIsAMissThatKeepsTheMarker) {
    const std::wstring path = Write(L"p.default", u"1|http://ja.wikipedia.org/wiki/Foo");
    ASSERT_TRUE(watch.ScanFirefoxProfiles(article));
    Write(L"p.default", u"2|http://ja.wikipedia.org/wiki/Foo");
    {
        // Opened by another without any sharing: the reader cannot open it.
        UniqueHFile lock(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(lock);
        EXPECT_FALSE(watch.RereadRememberedHelperFile(article));
        EXPECT_TRUE(Remembered().empty());
        EXPECT_FALSE(watch.ScanFirefoxProfiles(article));
        EXPECT_EQ(Marker(), u'1');
    }
    // A locked byte range (LockFile) makes the read fail on Windows, which the reader takes
    // as a miss as well; Wine does not enforce such locks on reads, so it is not tried here.
    EXPECT_TRUE(watch.ScanFirefoxProfiles(article));  // unlocked: '2' counts
    DeleteFileW(path.c_str());
    EXPECT_FALSE(watch.RereadRememberedHelperFile(article));
    EXPECT_FALSE(watch.ScanFirefoxProfiles(article));
}

TEST_F(ProfileRoot, NoProfileRootIsAMiss) {
    RemoveTree(appData);
    EXPECT_FALSE(watch.ScanFirefoxProfiles(article));
    SetEnvironmentVariableW(L"APPDATA", nullptr);
    EXPECT_FALSE(watch.ScanFirefoxProfiles(article));
}

TEST_F(ProfileRoot, TheReaderOnlyReadsAndAReadOnlyFileCounts) {
    const std::wstring path = Write(L"p.default", u"7|http://ja.wikipedia.org/wiki/Foo\r\n");
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    const std::vector<uint8_t> before = ReadFileBytes(path);
    EXPECT_TRUE(watch.ScanFirefoxProfiles(article));
    EXPECT_EQ(std::u16string(article.c_str()), u"Foo\r\n");  // the line end is kept
    EXPECT_FALSE(watch.RereadRememberedHelperFile(article));
    EXPECT_EQ(ReadFileBytes(path), before);
    EXPECT_NE(GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
}

// ---- Bad input ----

TEST_F(ProfileRoot, ATenMegabyteFileIsJudgedByItsHead) {
    std::vector<uint8_t> bytes = Bytes(u"1|http://ja.wikipedia.org/wiki/");
    bytes.resize(10 * 1024 * 1024, 'A');
    ASSERT_TRUE(WriteFileBytes(Profile(L"big"), bytes));
    EXPECT_TRUE(watch.ScanFirefoxProfiles(article));
    // 2099 units are read, the mark among them.
    EXPECT_EQ(std::u16string(article.c_str()).size(), 2099u - 1 - 31);
}

TEST_F(ProfileRoot, RandomBytesGiveAnOutcome) {
    uint32_t seed = 777;
    for (std::size_t size : {1u, 2u, 3u, 4197u, 4198u, 4199u, 70000u}) {
        std::vector<uint8_t> bytes(size);
        for (uint8_t& b : bytes) {
            seed = seed * 1664525u + 1013904223u;
            b = static_cast<uint8_t>(seed >> 24);
        }
        ASSERT_TRUE(WriteFileBytes(Profile(L"random"), bytes));
        watch.ScanFirefoxProfiles(article);
        EXPECT_LT(std::u16string(article.c_str()).size(), kCurrentArticleSize);
    }
}

TEST_F(ProfileRoot, AFileRewrittenWhileBeingReadGivesAnOutcome) {
    const std::wstring path = Profile(L"busy");
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        // Rewrites the file as fast as it can: truncated, half written, whole, long, short.
        for (uint32_t round = 0; !stop; ++round) {
            std::u16string text(1, static_cast<char16_t>(u'A' + round % 26));
            text += u"|http://ja.wikipedia.org/wiki/";
            text.append(round % 7 * 400, u'x');
            const std::vector<uint8_t> bytes = Bytes(text);
            UniqueHFile file(CreateFileW(path.c_str(), GENERIC_WRITE,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
            DWORD written = 0;
            for (std::size_t at = 0; file && at < bytes.size(); at += 501) {
                const DWORD n = static_cast<DWORD>(std::min<std::size_t>(501, bytes.size() - at));
                WriteFile(file.get(), bytes.data() + at, n, &written, nullptr);
            }
        }
    });
    int hits = 0;
    for (int sample = 0; sample < 400; ++sample) {
        if (watch.RereadRememberedHelperFile(article) || watch.ScanFirefoxProfiles(article)) {
            ++hits;
            EXPECT_LT(std::u16string(article.c_str()).size(), kCurrentArticleSize);
        }
    }
    stop = true;
    writer.join();
    EXPECT_GT(hits, 0);
}

}  // namespace
