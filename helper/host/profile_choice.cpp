#include "helper/host/profile_choice.h"

namespace {

constexpr std::string_view kUuidsPref = "\"extensions.webextensions.uuids\"";

bool IsIdentityChar(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || c == '-';
}

// The identity's text in a line of prefs.js, with nothing of the same alphabet around it.
bool LineHoldsWord(std::string_view line, std::string_view word) {
    for (std::size_t at = line.find(word); at != std::string_view::npos;
         at = line.find(word, at + 1)) {
        const bool starts = at == 0 || !IsIdentityChar(line[at - 1]);
        const std::size_t end = at + word.size();
        const bool ends = end == line.size() || !IsIdentityChar(line[end]);
        if (starts && ends) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool IsExtensionIdentity(std::u16string_view id) {
    if (id.size() != 36) {
        return false;
    }
    for (std::size_t i = 0; i < id.size(); ++i) {
        const char16_t c = id[i];
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            if (c != u'-') {
                return false;
            }
        } else if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f'))) {
            return false;
        }
    }
    return true;
}

bool PrefsMapIdentity(std::string_view prefs, std::u16string_view id) {
    if (!IsExtensionIdentity(id)) {
        return false;
    }
    std::string word(id.begin(), id.end());  // ASCII, checked above
    std::size_t lineStart = 0;
    while (lineStart < prefs.size()) {
        std::size_t lineEnd = prefs.find('\n', lineStart);
        if (lineEnd == std::string_view::npos) {
            lineEnd = prefs.size();
        }
        const std::string_view line = prefs.substr(lineStart, lineEnd - lineStart);
        // user_pref("extensions.webextensions.uuids", "{\"ext@id\":\"<identity>\",...}");
        const std::size_t nameAt = line.find(kUuidsPref);
        if (nameAt != std::string_view::npos &&
            LineHoldsWord(line.substr(nameAt + kUuidsPref.size()), word)) {
            return true;
        }
        lineStart = lineEnd + 1;
    }
    return false;
}

bool IsPlainFolderName(std::u16string_view name) {
    if (name.empty() || name == u"." || name == u"..") {
        return false;
    }
    for (const char16_t c : name) {
        if (c == u'\\' || c == u'/' || c == u':' || c == u'\0') {
            return false;
        }
    }
    return true;
}

std::optional<std::u16string> ChooseProfile(std::span<const ProfileMatch> matches) {
    if (matches.size() == 1) {
        return matches.front().name;
    }
    const ProfileMatch* running = nullptr;
    for (const ProfileMatch& match : matches) {
        if (match.running) {
            if (running != nullptr) {
                return std::nullopt;
            }
            running = &match;
        }
    }
    if (running == nullptr) {
        return std::nullopt;
    }
    return running->name;
}
