#pragma once
// Byte and text builders shared by the tests and fuzz targets: UTF-16LE files,
// native-messaging frames, lines split at CRLF, and in memory a desktop of windows for the
// window readers and profile folders for the helper file reader.
#include <algorithm>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "watch/control_path.h"
#include "watch/helper_file.h"

namespace test {

// UTF-16LE bytes of text, with the byte-order mark in front when asked.
inline std::string Utf16Le(std::u16string_view text, bool mark = false) {
    std::string bytes = mark ? std::string("\xFF\xFE") : std::string();
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

inline std::span<const std::uint8_t> Bytes(const std::string& s) {
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

inline std::uint32_t Get32(const std::vector<std::uint8_t>& v, std::size_t at) {
    return v[at] | v[at + 1] << 8 | v[at + 2] << 16 | std::uint32_t{v[at + 3]} << 24;
}

inline std::string Le32(std::uint32_t n) {
    return {static_cast<char>(n), static_cast<char>(n >> 8), static_cast<char>(n >> 16),
            static_cast<char>(n >> 24)};
}

// A native-messaging frame: the body's length in four little-endian bytes, then the body.
inline std::string NativeFrame(std::string_view body) {
    return Le32(static_cast<std::uint32_t>(body.size())) + std::string(body);
}

// The lines of text, each without its CRLF; a last line without one is kept.
inline std::vector<std::u16string> SplitCrlf(std::u16string_view text) {
    std::vector<std::u16string> lines;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find(u"\r\n", start), text.size());
        lines.emplace_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

// Copies s into buffer (room units) cut to room - 1 and NUL-terminated; its length.
inline std::size_t CopyOut(std::u16string_view s, char16_t* buffer, std::size_t room) {
    const std::size_t n = std::min(s.size(), room - 1);
    std::copy_n(s.data(), n, buffer);
    buffer[n] = u'\0';
    return n;
}

// A desktop of windows in memory: class, parent, text, and the platform's orders.
struct FakeWindowTree : WindowTree {
    struct Window {
        std::u16string className;
        WindowRef parent = 0;
        std::u16string text;
        bool answers = true;      // false: the window does not answer in time
        std::size_t reports = 0;  // when set, the count the window claims to have given
        bool classReadable = true;
    };
    std::map<WindowRef, Window> windows;
    std::vector<WindowRef> topLevel;  // front to back
    WindowRef next = 1;
    int classReads = 0, parentReads = 0, textReads = 0;

    WindowRef Add(std::u16string className, WindowRef parent = 0, std::u16string text = u"") {
        const WindowRef w = next++;
        windows[w] = {std::move(className), parent, std::move(text)};
        if (parent == 0) {
            topLevel.push_back(w);
        }
        return w;
    }
    // A chain of windows from classes[last] down to classes[0] under top; the control.
    WindowRef Chain(WindowRef top, const std::vector<std::u16string>& classes,
                    std::u16string text) {
        for (std::size_t i = classes.size(); i-- > 0;) {
            top = Add(classes[i], top, i == 0 ? text : u"");
        }
        return top;
    }
    std::size_t ClassName(WindowRef w, char16_t* buffer, std::size_t room) override {
        ++classReads;
        auto it = windows.find(w);
        if (it == windows.end() || !it->second.classReadable) {
            return 0;
        }
        return CopyOut(it->second.className, buffer, room);
    }
    WindowRef Parent(WindowRef w) override {
        ++parentReads;
        auto it = windows.find(w);
        return it == windows.end() ? 0 : it->second.parent;
    }
    // As WM_GETTEXT: copies what fits with its terminator and reports the count copied.
    std::size_t Text(WindowRef w, char16_t* buffer, std::size_t room) override {
        ++textReads;
        auto it = windows.find(w);
        if (it == windows.end() || !it->second.answers) {
            return 0;
        }
        const std::size_t n = CopyOut(it->second.text, buffer, room);
        return it->second.reports != 0 ? it->second.reports : n;
    }
    void VisitTopLevel(WindowVisitor& visitor) override {
        const std::vector<WindowRef> order = topLevel;
        for (WindowRef w : order) {
            if (!visitor.Visit(w)) {
                return;
            }
        }
    }
    void VisitDescendants(WindowRef top, WindowVisitor& visitor) override { Walk(top, visitor); }
    bool Walk(WindowRef parent, WindowVisitor& visitor) {
        for (auto& [w, window] : windows) {
            if (window.parent == parent && (!visitor.Visit(w) || !Walk(w, visitor))) {
                return false;
            }
        }
        return true;
    }
};

// Profile folders, each with its helper file or none, read as they stand at each read.
struct FakeProfiles : HelperFileSystem {
    std::u16string root = u"C:\\Profiles\\";
    std::vector<std::u16string> folders;
    std::map<std::u16string, std::string> files;  // by folder
    int reads = 0;

    std::u16string PathOf(std::u16string_view folder) const {
        return root + std::u16string(folder) + u"\\" + std::u16string(kHelperFileName);
    }
    const std::u16string& ProfileRoot() override { return root; }
    bool ListFolders(const std::u16string& listed, FolderVisitor& visitor) override {
        for (const std::u16string& folder : folders) {
            if (listed != root || !visitor.Visit(folder)) {
                break;
            }
        }
        return true;
    }
    std::ptrdiff_t ReadHead(const std::u16string& path, std::span<std::uint8_t> bytes) override {
        ++reads;
        for (const auto& [folder, content] : files) {
            if (path == PathOf(folder)) {
                const std::size_t n = std::min(bytes.size(), content.size());
                std::copy_n(content.begin(), n, bytes.begin());
                return static_cast<std::ptrdiff_t>(n);
            }
        }
        return -1;
    }
};

}  // namespace test
