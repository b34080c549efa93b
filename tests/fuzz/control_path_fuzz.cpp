// The desktop as the window readers see it, made up from the input: windows with classes
// (the browsers' own, in any case, or anything), parents (cycles included: a tree that
// changes under the reader can seem to have them), texts of any length, and windows that
// claim to have given more text than they did.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <span>
#include <vector>

#include "tests/fuzz/fuzz_check.h"
#include "tests/support/test_bytes.h"
#include "watch/control_path.h"

namespace {

constexpr std::u16string_view kAddressPrefixes[] = {
    u"",        u"http://ja.wikipedia.org/wiki/", u"ja.wikipedia.org/wiki/", u"https://",
    u"http://", u"http://upload.wikimedia.org/"};

struct Window {
    std::u16string className;
    size_t parent = 0;  // 0 for none
    std::u16string text;
    size_t claimedText = 0;  // added to the count the window reports
    size_t claimedClass = 0;
};

class FakeTree final : public WindowTree {
  public:
    std::vector<Window> windows;  // by WindowRef; [0] (empty, claiming nothing) for none

    const Window& At(WindowRef ref) const { return windows[ref < windows.size() ? ref : 0]; }
    // Copies what fits with its terminator, as the platform does, but reports what the
    // window claims.
    static size_t Give(const std::u16string& value, size_t claimed, char16_t* buffer, size_t room) {
        FUZZ_CHECK(room > 0);
        return test::CopyOut(value, buffer, room) + claimed;
    }
    size_t ClassName(WindowRef ref, char16_t* buffer, size_t room) override {
        return Give(At(ref).className, At(ref).claimedClass, buffer, room);
    }
    WindowRef Parent(WindowRef ref) override { return At(ref).parent; }
    size_t Text(WindowRef ref, char16_t* buffer, size_t room) override {
        return Give(At(ref).text, At(ref).claimedText, buffer, room);
    }
    void VisitTopLevel(WindowVisitor& visitor) override {
        for (size_t i = 1; i < windows.size(); ++i) {
            if (windows[i].parent == 0 && !visitor.Visit(i)) {
                return;
            }
        }
    }
    void VisitDescendants(WindowRef top, WindowVisitor& visitor) override {
        for (size_t i = 1; i < windows.size(); ++i) {
            // Up the parents, at most as many steps as there are windows.
            WindowRef up = windows[i].parent;
            for (size_t step = 0; up != 0 && up != top && step < windows.size(); ++step) {
                up = At(up).parent;
            }
            if (up == top && !visitor.Visit(i)) {
                return;
            }
        }
    }
};

// Every class name the families know: top-level classes and path entries.
std::vector<std::u16string_view> KnownClasses() {
    std::vector<std::u16string_view> names;
    for (const BrowserFamily& family : BrowserFamilies) {
        names.insert(names.end(), family.topLevelClasses.begin(), family.topLevelClasses.end());
        for (ControlPath path : family.paths) {
            names.insert(names.end(), path.begin(), path.end());
        }
    }
    return names;
}

std::u16string Widen(const std::string& bytes) {
    return std::u16string(bytes.begin(), bytes.end());
}

std::u16string ClassFrom(FuzzedDataProvider& input, const std::vector<std::u16string_view>& known) {
    if (input.ConsumeBool()) {
        return Widen(input.ConsumeRandomLengthString(64));
    }
    std::u16string name(known[input.ConsumeIntegralInRange<size_t>(0, known.size() - 1)]);
    // The platform compares class names without regard to case.
    const uint32_t flips = input.ConsumeIntegral<uint32_t>();
    for (size_t i = 0; i < name.size() && i < 32; ++i) {
        if ((flips >> i & 1) != 0 && name[i] < 0x80) {
            name[i] ^= 0x20;
        }
    }
    return name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::vector<std::u16string_view> known = KnownClasses();
    FuzzedDataProvider input(data, size);
    FakeTree tree;
    const size_t count = input.ConsumeIntegralInRange<size_t>(1, 16);
    tree.windows.resize(count + 1);
    for (Window& w : std::span(tree.windows).subspan(1)) {
        w.parent = input.ConsumeIntegralInRange<size_t>(0, count);
        w.className = ClassFrom(input, known);
        w.text = kAddressPrefixes[input.ConsumeIntegralInRange<size_t>(
            0, std::size(kAddressPrefixes) - 1)];
        const std::u16string part = Widen(input.ConsumeRandomLengthString(64));
        // Long texts reach the room of the readers' buffers.
        for (int repeat = input.ConsumeIntegralInRange(1, 64); repeat > 0; --repeat) {
            w.text += part;
        }
        if (input.ConsumeBool()) {
            w.claimedText = input.ConsumeIntegralInRange<size_t>(0, 3 * kControlTextRoom);
            w.claimedClass = input.ConsumeIntegralInRange<size_t>(0, 3 * kClassNameRoom);
        }
    }

    for (WindowRef control = 0; control <= count + 1; ++control) {
        const std::u16string& name = tree.At(control).className;
        const BrowserFamily* found = FindBrowserFamily(name);
        FUZZ_CHECK(found == nullptr ||
                   std::any_of(found->topLevelClasses.begin(), found->topLevelClasses.end(),
                               [&](std::u16string_view c) { return c.size() == name.size(); }));
        for (const BrowserFamily& family : BrowserFamilies) {
            for (ControlPath path : family.paths) {
                ControlText text;
                text.fill(u'x');
                ReadControlText(tree, path, control, text);
                FUZZ_CHECK(std::find(text.begin(), text.end(), u'\0') != text.end());
            }
            CurrentArticle article;
            const bool hit = ReadFamilyControl(tree, family, control, article);
            FUZZ_CHECK(hit || article.empty());
        }
    }

    CachedReader cached;
    CurrentArticle article;
    const bool hit = ScanBrowsers(tree, cached, article);
    FUZZ_CHECK(hit != cached.empty());
    FUZZ_CHECK(hit || article.empty());
    if (hit) {
        // Nothing changed: the cached control reads the same.
        CurrentArticle again;
        FUZZ_CHECK(RecheckCachedReader(tree, cached, again));
        FUZZ_CHECK(std::u16string(again.c_str()) == std::u16string(article.c_str()));
    }
    return 0;
}
