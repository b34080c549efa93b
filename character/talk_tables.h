#pragma once
// The lines the character says on its own: at the marks of a continuous viewing stretch,
// as a greeting at start-up and as a farewell on quitting, both by hour of day. The tables
// are constant; the pick functions keep no state and take the random draw as a port.
#include <cstddef>
#include <cstdint>
#include <span>

#include "common/random_port.h"

// One line the character can say.
struct TalkEntry {
    // Zero-terminated; a line break inside the line is CR LF. Null marks an empty slot.
    const char16_t* text = nullptr;
    // Picks the picture; only the low byte counts. Greeting and farewell: 0 animated
    // sequence, 1 yawn, 2 first picture held still. Elapsed lines: non-zero = warning picture.
    uint32_t expression = 0;
    // Resource number of the clip in the voice plug-in; 0 would mean no clip.
    uint32_t voiceId = 0;
};

// A mark of the continuous viewing stretch. entries[0] is always used; entries[1] is an
// optional alternative (null text when absent).
struct ElapsedTalkRow {
    uint32_t seconds = 0;
    TalkEntry entries[2];
};

inline constexpr std::size_t kHourRowEntryCount = 6;

// An inclusive range of local hours. The used entries are contiguous from entries[0],
// which is always used; the rest have null text.
struct HourTalkRow {
    uint16_t firstHour = 0;
    uint16_t lastHour = 0;
    TalkEntry entries[kHourRowEntryCount];
};

// firstHour/lastHour of the row that ends an hour table and answers any hour outside 0-23.
inline constexpr uint16_t kDefaultHour = 255;

// 24 marks in ascending order of seconds, then an all-zero end row.
inline constexpr std::size_t kElapsedTalkRowCount = 25;
// Rows start at hour 5, then 0 and 1-4, and end with the default row.
inline constexpr std::size_t kGreetingRowCount = 17;
inline constexpr std::size_t kFarewellRowCount = 15;

extern const ElapsedTalkRow ElapsedTalkTable[kElapsedTalkRowCount];
extern const HourTalkRow GreetingTable[kGreetingRowCount];
extern const HourTalkRow FarewellTable[kFarewellRowCount];

// What the character says when the user calls it from the tray; not part of the tables.
inline constexpr char16_t kClickLineText[] = u"ごようですか？";
inline constexpr uint32_t kClickLineVoice = 263;

// The row of ElapsedTalkTable whose mark equals `seconds` exactly, or null. Walks the rows
// in rising order and gives up at the first larger mark or at the end row, so a stretch
// speaks only in the one second in which it equals a mark.
const ElapsedTalkRow* FindElapsedRow(uint32_t seconds);

// One entry of an elapsed-time row. When the row has a second entry, takes exactly one
// draw: even picks the second entry, odd the first; otherwise takes no draw.
const TalkEntry& ChooseElapsedEntry(const ElapsedTalkRow& row, const RandomDraw& draw);

// The first row of `table` whose range holds `hour`; rows are tried in order, and a row
// with firstHour kDefaultHour is taken as soon as it is reached, without testing its
// range. `table` must not be empty and should end with a default row; otherwise its last
// row answers.
const HourTalkRow& FindHourRow(std::span<const HourTalkRow> table, uint16_t hour);

// How many entries of `row` are used: entries[0] plus each following one with a text, up
// to the first empty slot. 1 to kHourRowEntryCount.
std::size_t UsedEntryCount(const HourTalkRow& row);

// The greeting (from GreetingTable) or farewell (from FarewellTable) for local `hour`.
// Takes exactly one draw r and picks entry r mod the row's used count. Never null; an
// hour outside 0-23 gets the default row.
const TalkEntry& PickGreeting(uint16_t hour, const RandomDraw& draw);
const TalkEntry& PickFarewell(uint16_t hour, const RandomDraw& draw);
