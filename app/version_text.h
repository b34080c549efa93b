#pragma once
// The text of the version box, from the program's version record.
#include <string>
#include <string_view>

struct FileVersionNumbers {
    unsigned a = 0, b = 0, c = 0, d = 0;
};

// Reads "%u,%u,%u,%u" (blanks after the commas skipped); fields that cannot be read stay 0.
FileVersionNumbers ParseFileVersion(std::u16string_view text);

// "<description> version a.bc<suffix>\r\n<edition title>\r\n\r\n<copyright>\r\n\r\n" and the
// closing lines; the suffix is the letter 0x60 + d when d is not 0 (1 gives "a").
std::u16string FormatVersionText(std::u16string_view description, const FileVersionNumbers& v,
                                 std::u16string_view editionTitle, std::u16string_view copyright);
