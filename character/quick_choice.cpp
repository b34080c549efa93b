#include "character/quick_choice.h"

#include <algorithm>

#include "resources/resource.h"

namespace {

bool SettingOn(ChoiceSetting setting, const Settings& s) {
    switch (setting) {
        case ChoiceSetting::NotifyFinish:
            return s.NotifyFinish;
        case ChoiceSetting::NotifyTime:
            return s.NotifyTime;
        case ChoiceSetting::NotifyHour:
            return s.NotifyHour;
        case ChoiceSetting::HistryEnabled:
            return s.HistryEnabled;
        case ChoiceSetting::Voice:
            return s.Voice;
        case ChoiceSetting::None:
            break;
    }
    return false;
}

uint16_t Clamp16(int v) {
    return static_cast<uint16_t>(std::clamp(v, 0, 0xFFFF));
}

}  // namespace

QuickChoiceList MakeQuickChoiceList(int dpi) {
    using S = ChoiceSetting;
    auto item = [dpi](uint32_t command, int left, int top, const char16_t* label,
                      S setting = S::None) {
        return QuickChoiceItem{
            command, Clamp16(ScaleToDpi(left, dpi)), Clamp16(ScaleToDpi(top, dpi)), 0, 0, label,
            setting};
    };
    return {{
        item(IDM_LOG_WEEK, 33, 85, u"1週間のログ表示"),
        item(IDM_LOG_MONTH, 124, 85, u"1ヶ月のログ表示"),
        item(IDM_LOG_YEAR, 33, 98, u"1年間のログ表示"),
        item(IDM_RANKING, 124, 98, u"記事ランキング"),
        item(IDM_NOTIFY_FINISH, 33, 111, u"閲覧終了の通知を%sにする", S::NotifyFinish),
        item(IDM_NOTIFY_TIME, 33, 136, u"閲覧中のお知らせを%sにする", S::NotifyTime),
        item(IDM_NOTIFY_HOUR, 33, 148, u"時報を%sにする", S::NotifyHour),
        item(IDM_RANKING_ENABLED, 33, 160, u"記事ランキングを%sにする", S::HistryEnabled),
        item(IDM_VOICE, 33, 172, u"ボイスを%sにする", S::Voice),
        item(IDM_ALARM, 33, 196, u"アラーム設定"),
        item(IDM_HELP, 124, 196, u"ヘルプを表示"),
        item(IDM_VERSION, 33, 208, u"バージョン情報"),
        item(2, 124, 208, u"終了"),
        item(3, 33, 226, u"キャンセル"),
        QuickChoiceItem{},
    }};
}

std::u16string QuickChoiceLabel(const QuickChoiceItem& item, const Settings& settings) {
    std::u16string label = item.label != nullptr ? item.label : u"";
    if (item.setting == ChoiceSetting::None) {
        return label;
    }
    const size_t at = label.find(u"%s");
    if (at != std::u16string::npos) {
        label.replace(at, 2, SettingOn(item.setting, settings) ? u"OFF" : u"ON");
    }
    return label;
}

void PlaceQuickChoice(QuickChoiceItem& item, int width, int height) {
    item.right = Clamp16(item.left + std::max(width, 0));
    item.bottom = Clamp16(item.top + std::max(height, 0));
}

bool QuickChoiceContains(const QuickChoiceItem& item, int x, int y) {
    return item.left <= x && x <= item.right && item.top <= y && y < item.bottom;
}

int QuickChoiceAt(const QuickChoiceList& list, int x, int y) {
    for (size_t i = 0; i < list.size() && list[i].command != 0; ++i) {
        if (QuickChoiceContains(list[i], x, y)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

uint32_t HitTestQuickChoice(const QuickChoiceList& list, int x, int y) {
    const int i = QuickChoiceAt(list, x, y);
    return i < 0 ? 0 : list[static_cast<size_t>(i)].command;
}
