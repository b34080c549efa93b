#pragma once
// The command list drawn in the balloon after "ごようですか？": fixed labels at fixed
// places, some naming the setting they switch. The rectangles of the items are measured at
// every draw and remembered, so that a click can be matched against what was shown.
#include <array>
#include <cstdint>
#include <string>

#include "character/dpi_scale.h"
#include "records/settings.h"

// The boolean setting an item switches; its label's "%s" shows the state it switches to.
enum class ChoiceSetting { None, NotifyFinish, NotifyTime, NotifyHour, HistryEnabled, Voice };

struct QuickChoiceItem {
    uint32_t command = 0;  // a command of the context menu; 0 ends the list
    uint16_t left = 0;
    uint16_t top = 0;
    uint16_t right = 0;   // measured at the last draw; 0 before any
    uint16_t bottom = 0;  // likewise
    const char16_t* label = nullptr;
    ChoiceSetting setting = ChoiceSetting::None;
};

inline constexpr size_t kQuickChoiceCount = 14;
// The items, then one row with command 0.
using QuickChoiceList = std::array<QuickChoiceItem, kQuickChoiceCount + 1>;

// Where the heading "ごようですか？" is drawn.
inline constexpr int kQuickChoiceHeadingX = 28;
inline constexpr int kQuickChoiceHeadingY = 60;

// The list as it stands before its first draw, its items placed for dpi (the places are
// those of 96 DPI, scaled).
QuickChoiceList MakeQuickChoiceList(int dpi = kBaseDpi);

// The label with "%s" replaced: "ON" when the setting is off (the item switches it on),
// "OFF" when it is on.
std::u16string QuickChoiceLabel(const QuickChoiceItem& item, const Settings& settings);

// Stores the measured size of the drawn label: right = left + width, bottom = top + height
// (kept within 16 bits).
void PlaceQuickChoice(QuickChoiceItem& item, int width, int height);

// The item is under (x, y) when left <= x <= right and top <= y < bottom.
bool QuickChoiceContains(const QuickChoiceItem& item, int x, int y);

// Index of the first item under (x, y) by the rectangles of the last draw, or -1.
int QuickChoiceAt(const QuickChoiceList& list, int x, int y);

// Command of the first item under (x, y), or 0.
uint32_t HitTestQuickChoice(const QuickChoiceList& list, int x, int y);
