#include "app/clock_ports_win.h"

#include "app/sibling_win.h"
#include "app/tray_win.h"
#include "records/daily_log_win.h"
#include "records/ranking_win.h"

namespace {

class AppClockPorts final : public ClockPorts {
  public:
    explicit AppClockPorts(App& app) : m_app(app) {}

    bool RereadRememberedHelperFile() override {
        return m_app.watch.RereadRememberedHelperFile(m_app.article);
    }
    bool RecheckCachedReader() override { return m_app.watch.RecheckCachedReader(m_app.article); }
    bool ScanFirefoxProfiles() override { return m_app.watch.ScanFirefoxProfiles(m_app.article); }
    bool ScanBrowsers() override { return m_app.watch.ScanBrowsers(m_app.article); }
    bool ScanAccessibleBrowsers() override { return m_app.watch.ScanAccessibleBars(m_app.article); }
    void ModifyTray(std::u16string_view tip, TrayIconKind icon) override {
        m_app.tray.Show(icon == TrayIconKind::Viewing, tip);
    }
    void TellSibling(std::u16string_view text) override { ::TellSibling(m_app.MainWindow(), text); }
    void AddRankingSecond(const char16_t* article) override { ::AddRankingSecond(article); }
    void WriteTodayTotal() override { ::WriteTodayTotal(m_app.day.key, m_app.clock.TodaySeconds); }
    LocalTime Now() override { return LocalNow(); }

  private:
    App& m_app;
};

}  // namespace

std::unique_ptr<ClockPorts> MakeClockPorts(App& app) {
    return std::make_unique<AppClockPorts>(app);
}
