#pragma once
// What the records tests share: a registry of their own (HKEY_CURRENT_USER redirected to a
// scratch key), message boxes recorded instead of shown, and raw registry access that does
// not go through the code under test.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "common/handles_win.h"
#include "common/message_box_win.h"
#include "common/text_win.h"
#include "tests/win/scratch_registry_win.h"

namespace records_test {

inline std::wstring CurrentTestName() {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    return std::wstring(name.begin(), name.end());
}

struct RawValue {
    DWORD type = REG_NONE;
    std::vector<uint8_t> bytes;
};

inline std::vector<uint8_t> Utf16Bytes(std::u16string_view text, bool terminated = true) {
    std::vector<uint8_t> bytes;
    for (char16_t c : text) {
        bytes.push_back(static_cast<uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<uint8_t>(c >> 8));
    }
    if (terminated) {
        bytes.push_back(0);
        bytes.push_back(0);
    }
    return bytes;
}

inline std::vector<uint8_t> DwordBytes(uint32_t v) {
    return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
            static_cast<uint8_t>(v >> 24)};
}

class RecordsTest : public ::testing::Test {
  protected:
    RecordsTest() : m_scratch(CurrentTestName().c_str()) {}
    void SetUp() override {
        ASSERT_TRUE(m_scratch.ok());
        SetMessageBoxHookForTesting([this](const RecordedMessageBox& box) {
            boxes.push_back(box);
            return IDOK;
        });
    }
    void TearDown() override { SetMessageBoxHookForTesting({}); }

    static bool KeyExists(const char16_t* path) {
        UniqueHKey key;
        return RegOpenKeyExW(HKEY_CURRENT_USER, AsWide(path), 0, KEY_READ, key.put()) ==
               ERROR_SUCCESS;
    }
    // Creates the key (volatile when asked: no lasting key can be made under such a one).
    static void MakeKey(const char16_t* path, bool isVolatile = false) {
        UniqueHKey key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, AsWide(path), 0, nullptr,
                                  isVolatile ? REG_OPTION_VOLATILE : REG_OPTION_NON_VOLATILE,
                                  KEY_ALL_ACCESS, nullptr, key.put(), nullptr),
                  ERROR_SUCCESS);
    }
    static void Set(const char16_t* path, std::u16string_view name, DWORD type,
                    const std::vector<uint8_t>& bytes) {
        UniqueHKey key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, AsWide(path), 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, key.put(), nullptr),
                  ERROR_SUCCESS);
        const std::u16string n(name);
        ASSERT_EQ(RegSetValueExW(key.get(), AsWide(n.c_str()), 0, type, bytes.data(),
                                 static_cast<DWORD>(bytes.size())),
                  ERROR_SUCCESS);
    }
    static void SetDword(const char16_t* path, std::u16string_view name, uint32_t value) {
        Set(path, name, REG_DWORD, DwordBytes(value));
    }
    static void SetText(const char16_t* path, std::u16string_view name, std::u16string_view text,
                        DWORD type = REG_SZ) {
        Set(path, name, type, Utf16Bytes(text));
    }
    static std::optional<RawValue> Get(const char16_t* path, std::u16string_view name) {
        UniqueHKey key;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, AsWide(path), 0, KEY_READ, key.put()) !=
            ERROR_SUCCESS) {
            return std::nullopt;
        }
        const std::u16string n(name);
        RawValue value;
        DWORD size = 0;
        if (RegQueryValueExW(key.get(), AsWide(n.c_str()), nullptr, &value.type, nullptr, &size) !=
            ERROR_SUCCESS) {
            return std::nullopt;
        }
        value.bytes.resize(size);
        if (size > 0 && RegQueryValueExW(key.get(), AsWide(n.c_str()), nullptr, &value.type,
                                         value.bytes.data(), &size) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        return value;
    }
    // A stored REG_DWORD, or nothing when the value is missing or of another shape.
    static std::optional<uint32_t> GetDword(const char16_t* path, std::u16string_view name) {
        std::optional<RawValue> v = Get(path, name);
        if (!v || v->type != REG_DWORD || v->bytes.size() != 4) {
            return std::nullopt;
        }
        return v->bytes[0] | v->bytes[1] << 8 | v->bytes[2] << 16 |
               static_cast<uint32_t>(v->bytes[3]) << 24;
    }
    // The value names in the registry's enumeration order.
    static std::vector<std::u16string> Names(const char16_t* path) {
        std::vector<std::u16string> names;
        UniqueHKey key;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, AsWide(path), 0, KEY_READ, key.put()) !=
            ERROR_SUCCESS) {
            return names;
        }
        std::vector<wchar_t> name(16384);
        for (DWORD i = 0;; ++i) {
            DWORD length = static_cast<DWORD>(name.size());
            if (RegEnumValueW(key.get(), i, name.data(), &length, nullptr, nullptr, nullptr,
                              nullptr) != ERROR_SUCCESS) {
                break;
            }
            names.emplace_back(AsU16(std::wstring_view(name.data(), length)));
        }
        return names;
    }

    std::vector<RecordedMessageBox> boxes;

  private:
    ScratchCurrentUser m_scratch;
};

}  // namespace records_test
