#include "records/settings_win.h"

#include <string>

#include "common/message_box_win.h"
#include "common/system_win.h"
#include "records/daily_log_win.h"
#include "records/registry_win.h"
#include "records/settings_values.h"

namespace {

class RegistrySource : public SettingsSource {
  public:
    explicit RegistrySource(REGW& key) : m_key(key) {}
    int32_t ReadInteger(const char16_t* name, int32_t fallback) override {
        return m_key.ReadIntegerW(name, fallback);
    }
    std::optional<std::u16string> ReadText(const char16_t* name) override {
        return m_key.RegReadStringW(name);
    }

  private:
    REGW& m_key;
};

class RegistrySink : public SettingsSink {
  public:
    explicit RegistrySink(REGW& key) : m_key(key) {}
    void WriteInteger(const char16_t* name, uint32_t value) override {
        m_key.WriteIntegerW(name, value);
    }
    void WriteText(const char16_t* name, std::u16string_view text) override {
        m_key.WriteStringW(name, text);
    }

  private:
    REGW& m_key;
};

void ShowSaveError(HWND owner, const wchar_t* text) {
    ShowMessageBox(owner, text, kProgramName, MB_OK | MB_ICONERROR);
}

}  // namespace

void LoadSettings(Settings& settings, uint32_t& todaySeconds, std::u16string_view todayKey) {
    REGW key;
    if (!todayKey.empty() && key.OpenKey(LogKey, OpenReadOnly)) {
        const std::u16string name(todayKey);
        todaySeconds = static_cast<uint32_t>(key.ReadIntegerW(name.c_str(), 0));
        key.CloseKey();
    }
    if (!key.OpenKey(SettingsKey, OpenReadOnly)) {
        return;  // the first start: the record keeps its initial contents
    }
    RegistrySource source(key);
    ReadSettingsValues(settings, source);
    key.CloseKey();
}

bool SaveSettings(HWND owner, const Settings& settings, uint32_t todaySeconds,
                  std::u16string_view todayKey, const WindowRectPort& windowRect) {
    bool shown = false;
    REGW key;
    if (key.OpenKey(LogKey, OpenCreate)) {
        if (!todayKey.empty()) {
            const std::u16string name(todayKey);
            key.WriteIntegerW(name.c_str(), todaySeconds);
        }
        key.CloseKey();
    } else {
        ShowSaveError(owner, L"本日の閲覧時間合計をログへ書き込めませんでした。");
        shown = true;
    }

    if (key.OpenKey(SettingsKey, OpenCreate)) {
        RECT rect{};
        const bool placed = windowRect && windowRect(rect);
        RegistrySink sink(key);
        WriteSettingsValues(settings, placed ? rect.left : settings.WindowLeft,
                            placed ? rect.top : settings.WindowTop, sink);
        key.CloseKey();
    } else {
        ShowSaveError(owner, L"設定をレジストリへ書き込めませんでした。");
        shown = true;
    }

    PruneLog();
    return !shown;
}
