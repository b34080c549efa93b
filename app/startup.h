#pragma once
// Start-up decisions that need no Windows: the working folder, the edition plug-in, the seed.
#include <cstdint>
#include <string>
#include <string_view>

// The folder that becomes the working folder for a program at fullPath: cut at the last
// backslash (searched down to index 1); a backslash at index 4 or lower is kept, so that a
// drive root stays "C:\". Empty when there is no backslash.
std::u16string WorkingFolderFor(std::u16string_view fullPath);

struct EditionChoice {
    std::u16string library;  // path to load as the edition plug-in
    bool choiceEnabled;      // chosen by the setting: the edition submenu stays
};

// A program file named like an edition plug-in pins that plug-in beside it (its own path
// with "dll" over the last three characters); "ymt" and "ymtvoice" (any case) choose by
// selEdition: 1 Tsubaki, 2 Sazanka, anything else Hinata.
EditionChoice ChooseEditionPlugin(std::u16string_view programPath, int32_t selEdition);

// The edition menu's item for a SelEdition value (as ChooseEditionPlugin reads it), and the
// SelEdition value an item stands for.
uint32_t CommandOfEdition(int32_t selEdition);
int32_t EditionOfCommand(uint32_t command);

// The random seed: tick count in ms plus minute * 60 plus second, modulo 2^32.
uint32_t RandomSeed(uint32_t tickCount, int minute, int second);
