#pragma once
// The article ranking in the registry (RankKey).
#include <windows.h>

#include <string>

#include "records/ranking.h"
#include "records/registry_win.h"

// Adds one second to article (a value of RankKey, created at 1 and left alone at
// 4294967295), then trims the ranking to 110 articles by removing the least-read ones,
// never article itself. A null or empty name does nothing. Silent on every failure.
void AddRankingSecond(const char16_t* article);

// The ranking text of the key held open in rank (read access is enough). Every stored value
// takes part; its seconds are read as ReadIntegerW reads them, with 0 for no number.
// Throws std::bad_alloc when memory runs out.
std::u16string RankingTextOf(REGW& rank);

// Replaces edit's whole text with the ranking text, or with a memory message when memory
// for the rows or the text runs out.
void BuildRankingText(REGW& rank, HWND edit);
