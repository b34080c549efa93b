#pragma once
// A folder of the test's own under the temporary folder, removed with everything in it at the
// end, and whole-file reads and writes.
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "common/text_win.h"

class TempFolder {
  public:
    explicit TempFolder(const wchar_t* name) {
        static int counter = 0;
        m_path = std::filesystem::temp_directory_path() /
                 (std::wstring(L"ymt-") + name + L"-" + std::to_wstring(GetCurrentProcessId()) +
                  L"-" + std::to_wstring(++counter));
        std::filesystem::remove_all(m_path);
        std::filesystem::create_directories(m_path);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    std::wstring path() const { return m_path.wstring(); }
    std::u16string u16() const { return std::u16string(AsU16(path())); }

  private:
    std::filesystem::path m_path;
};

inline void WriteBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream(std::filesystem::path(path), std::ios::binary | std::ios::trunc) << bytes;
}

inline std::optional<std::string> ReadBytes(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return in ? std::optional(std::string(std::istreambuf_iterator<char>(in), {})) : std::nullopt;
}
