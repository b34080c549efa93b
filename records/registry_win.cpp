#include "records/registry_win.h"

#include <vector>

#include "common/boundary.h"
#include "common/message_box_win.h"
#include "common/text_win.h"
#include "records/registry_value.h"

namespace {

constexpr wchar_t kGuardCaption[] = L"Registory Class";
// The second line of every guard message; a single LF separates it from the first.
constexpr wchar_t kGuardReportLine[] =
    L"このメッセージが表示されたら、現在編集している/していたダイアログの名前を、"
    L"メッセージの内容と共に正確に作者まで報告して下さい。";

void Warn(const wchar_t* firstLine) {
    std::wstring text = firstLine;
    text += L'\n';
    text += kGuardReportLine;
    ShowMessageBox(nullptr, text.c_str(), kGuardCaption, MB_OK | MB_ICONWARNING);
}

// Reads a value's data in full: its type and bytes, or nothing when it is missing, cannot
// be read, changed size in between, or memory for it cannot be had.
struct ValueData {
    DWORD type = REG_NONE;
    std::vector<uint8_t> bytes;
};
std::optional<ValueData> ReadValueData(HKEY key, const char16_t* name) {
    ValueData value;
    DWORD size = 0;
    if (RegQueryValueExW(key, AsWide(name), nullptr, &value.type, nullptr, &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    if (!CatchAtBoundary(false, [&] {
            value.bytes.resize(size);
            return true;
        })) {
        return std::nullopt;
    }
    if (size > 0) {
        DWORD read = size;
        if (RegQueryValueExW(key, AsWide(name), nullptr, &value.type, value.bytes.data(), &read) !=
            ERROR_SUCCESS) {
            return std::nullopt;
        }
        value.bytes.resize(read);
    }
    return value;
}

}  // namespace

REGW::~REGW() {
    if (m_key) {
        m_key.reset();
        Warn(L"レジストリを自動クローズしました。");
    }
}

bool REGW::OpenKey(const char16_t* path, unsigned flags) {
    if (m_key) {
        m_key.reset();
        Warn(L"レジストリキーを多重オープンしようとしたので保護しました(REGW::OpenKey())。");
    }
    if (path == nullptr) {
        return false;
    }
    const REGSAM access = (flags & OpenReadOnly) != 0 ? KEY_READ : KEY_ALL_ACCESS;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, AsWide(path), 0, access, m_key.put()) != ERROR_SUCCESS) {
        m_key.release();  // a failed open leaves no handle to close
        if ((flags & OpenCreate) != 0 &&
            RegCreateKeyExW(HKEY_CURRENT_USER, AsWide(path), 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, m_key.put(), nullptr) != ERROR_SUCCESS) {
            m_key.release();
        }
    }
    return static_cast<bool>(m_key);
}

bool REGW::CloseKey() {
    if (!m_key) {
        Warn(L"レジストリを多重クローズしようとしたので保護しました(REGW::CloseKey)。");
        return false;
    }
    // RegCloseKey fails only for a handle that is not an open key, which an owned handle
    // never is; the owner lets it go either way.
    m_key.reset();
    return true;
}

int32_t REGW::ValueExistW(const char16_t* name) {
    if (!m_key) {
        Warn(L"開かれていないキーを対象に ValueExistW が行われようとしたので保護します。");
        return -1;
    }
    DWORD size = 0;
    if (RegQueryValueExW(m_key.get(), AsWide(name), nullptr, nullptr, nullptr, &size) !=
        ERROR_SUCCESS) {
        return -1;
    }
    return size > static_cast<DWORD>(INT32_MAX) ? INT32_MAX : static_cast<int32_t>(size);
}

int32_t REGW::ReadIntegerW(const char16_t* name, int32_t fallback) {
    if (!m_key) {
        Warn(L"開かれていないキーを対象に ReadIntegerW が行われようとしたので保護します。");
        return fallback;
    }
    const std::optional<ValueData> value = ReadValueData(m_key.get(), name);
    if (!value) {
        return fallback;
    }
    return IntegerFromRegistryData(value->type, value->bytes.data(), value->bytes.size(), fallback);
}

bool REGW::WriteIntegerW(const char16_t* name, uint32_t value) {
    if (!m_key) {
        Warn(L"開かれていないキーを対象に WriteIntegerW が行われようとしたので保護します。");
        return false;
    }
    const DWORD data = value;
    return RegSetValueExW(m_key.get(), AsWide(name), 0, REG_DWORD,
                          reinterpret_cast<const BYTE*>(&data), sizeof data) == ERROR_SUCCESS;
}

bool REGW::WriteStringW(const char16_t* name, std::u16string_view text) {
    if (!m_key) {
        Warn(L"開かれていないキーを対象に WriteStringW が行われようとしたので保護します。");
        return false;
    }
    if (text.size() >= MAXDWORD / 2) {
        return false;  // more than one value's data can hold
    }
    DWORD existing = REG_NONE;
    const DWORD type = RegQueryValueExW(m_key.get(), AsWide(name), nullptr, &existing, nullptr,
                                        nullptr) == ERROR_SUCCESS &&
                               existing == REG_EXPAND_SZ
                           ? REG_EXPAND_SZ
                           : REG_SZ;
    std::u16string terminated;
    if (!CatchAtBoundary(false, [&] {
            terminated = text;  // text views need not end in NUL; c_str() does
            return true;
        })) {
        return false;
    }
    const auto bytes = static_cast<DWORD>((terminated.size() + 1) * 2);
    return RegSetValueExW(m_key.get(), AsWide(name), 0, type,
                          reinterpret_cast<const BYTE*>(terminated.c_str()),
                          bytes) == ERROR_SUCCESS;
}

bool REGW::DeleteValue(const char16_t* name) {
    if (!m_key) {
        Warn(L"開かれていないキーを対象に REGW::DeleteValue が行われようとしたので保護します。");
        return false;
    }
    return RegDeleteValueW(m_key.get(), AsWide(name)) == ERROR_SUCCESS;
}

std::optional<std::u16string> REGW::RegReadStringW(const char16_t* name) {
    if (!m_key) {
        Warn(L"開かれていないキーを対象に (new)RegReadStringW が行われようとしたので保護します。");
        return std::u16string();
    }
    const int32_t size = ValueExistW(name);
    if (size <= 0) {
        return std::u16string();
    }
    return CatchAtBoundary(std::optional<std::u16string>(), [&]() -> std::optional<std::u16string> {
        std::vector<uint8_t> data(static_cast<size_t>(size));
        DWORD read = static_cast<DWORD>(size);
        if (RegQueryValueExW(m_key.get(), AsWide(name), nullptr, nullptr, data.data(), &read) !=
            ERROR_SUCCESS) {
            return std::nullopt;  // for example, the value grew in between
        }
        return TextFromRegistryData(data.data(), read);
    });
}

bool ForEachRegistryValue(HKEY key, bool withData,
                          const std::function<void(const RegistryValueView&)>& visit) {
    DWORD count = 0;
    DWORD longestName = 0;
    DWORD longestData = 0;
    if (key == nullptr ||
        RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                         &longestName, &longestData, nullptr, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    std::vector<wchar_t> name(size_t{longestName} + 1);  // the longest name comes without its NUL
    std::vector<uint8_t> data(withData ? size_t{longestData} + 1 : 0);
    for (DWORD i = 0; i < count; ++i) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD type = REG_NONE;
        DWORD size = static_cast<DWORD>(data.size());
        const LSTATUS rc =
            RegEnumValueW(key, i, name.data(), &nameLength, nullptr, &type,
                          withData ? data.data() : nullptr, withData ? &size : nullptr);
        if (rc == ERROR_NO_MORE_ITEMS) {
            break;
        }
        if (rc != ERROR_SUCCESS) {
            continue;
        }
        visit(RegistryValueView{AsU16(std::wstring_view(name.data(), nameLength)), type,
                                withData ? data.data() : nullptr, withData ? size : 0});
    }
    return true;
}
