#include "app/startup.h"

#include "common/ascii.h"
#include "resources/resource.h"

namespace {

// The file name without folder and extension.
std::u16string_view BaseName(std::u16string_view path) {
    const size_t slash = path.find_last_of(u"\\/:");
    std::u16string_view name = slash == std::u16string_view::npos ? path : path.substr(slash + 1);
    const size_t dot = name.find_last_of(u'.');
    return dot == std::u16string_view::npos ? name : name.substr(0, dot);
}

}  // namespace

std::u16string WorkingFolderFor(std::u16string_view fullPath) {
    for (size_t i = fullPath.size(); i-- > 1;) {
        if (fullPath[i] == u'\\') {
            return std::u16string(fullPath.substr(0, i > 4 ? i : i + 1));
        }
    }
    return {};
}

EditionChoice ChooseEditionPlugin(std::u16string_view programPath, int32_t selEdition) {
    const std::u16string_view base = BaseName(programPath);
    if (programPath.size() > 3 && !EqualsAsciiNoCase(base, u"ymt") &&
        !EqualsAsciiNoCase(base, u"ymtvoice")) {
        std::u16string own(programPath);
        own.replace(own.size() - 3, 3, u"dll");
        return {own, false};
    }
    switch (selEdition) {
        case 1:
            return {u".\\ymttsubaki.dll", true};
        case 2:
            return {u".\\ymtsazanka.dll", true};
        default:
            return {u".\\ymthinata.dll", true};
    }
}

uint32_t RandomSeed(uint32_t tickCount, int minute, int second) {
    return tickCount + static_cast<uint32_t>(minute * 60 + second);
}

uint32_t CommandOfEdition(int32_t selEdition) {
    switch (selEdition) {
        case 1:
            return IDM_EDITION_TSUBAKI;
        case 2:
            return IDM_EDITION_SAZANKA;
        default:
            return IDM_EDITION_HINATA;
    }
}

int32_t EditionOfCommand(uint32_t command) {
    return command == IDM_EDITION_TSUBAKI ? 1 : command == IDM_EDITION_SAZANKA ? 2 : 0;
}
