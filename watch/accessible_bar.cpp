#include "watch/accessible_bar.h"

#include <array>

namespace {

constexpr std::u16string_view kChromiumFrame = u"Chrome_WidgetWin_1";
constexpr std::u16string_view kFirefoxFrame = u"MozillaWindowClass";
constexpr std::u16string_view kFirefoxBarId = u"urlbar-input";

bool ReadBarValue(AccessibleTree& tree, ElementRef bar, CurrentArticle& article);

bool IsChromiumBar(const ElementInfo& info, bool inToolbar) {
    return inToolbar && info.role == ElementRole::Edit && info.enabled && info.focusable &&
           info.editable;
}

// One search over the windows, front to back, until a bar hits or the budget is spent.
class BarSearch final : public WindowVisitor {
  public:
    BarSearch(WindowTree& windows, AccessibleTree& tree, MonotonicClock& clock,
              CurrentArticle& article, std::uint64_t deadline)
        : m_windows(windows),
          m_tree(tree),
          m_clock(clock),
          m_article(article),
          m_deadline(deadline) {}

    bool Visit(WindowRef window) override {
        std::array<char16_t, kClassNameRoom> name{};
        const std::size_t length = m_windows.ClassName(window, name.data(), name.size());
        const BarRule rule = BarRuleFor(std::u16string_view(name.data(), length));
        if (rule == BarRule::None) {
            return true;
        }
        if (OutOfBudget()) {
            return false;
        }
        const ElementRef root = m_tree.Root(window);
        if (root != 0) {
            m_windowDone = false;
            Walk(rule, root, 0, false);
        }
        return m_hit == 0 && !m_stopped;
    }

    ElementRef hit() const { return m_hit; }
    std::size_t elements() const { return m_elements; }
    bool stopped() const { return m_stopped; }

  private:
    bool OutOfBudget() {
        if (m_elements >= kMaxSearchElements || m_clock.NowMs() >= m_deadline) {
            m_stopped = true;
        }
        return m_stopped;
    }

    // Pre-order, so that the toolbar's bar comes before anything drawn after it.
    void Walk(BarRule rule, ElementRef element, std::size_t depth, bool inToolbar) {
        if (OutOfBudget()) {
            return;
        }
        ++m_elements;
        ElementInfo info;
        if (!m_tree.Describe(element, info)) {
            return;
        }
        // A page's content is never searched: it is large, and asking a Chromium renderer
        // about it would make the browser build its content tree for us.
        if (info.role == ElementRole::Document) {
            return;
        }
        // Nor is the tab strip, which holds no address bar but an element per tab.
        if (info.role == ElementRole::TabList) {
            return;
        }
        if (IsAddressBar(m_tree, rule, element, info, inToolbar)) {
            if (info.focused) {
                return;  // being typed into; another window's bar may still hit
            }
            if (ReadBarValue(m_tree, element, m_article)) {
                m_hit = element;
            }
            m_windowDone = true;  // one bar per window: this window shows another site
            return;
        }
        if (depth + 1 >= kMaxElementDepth) {
            return;
        }
        std::array<ElementRef, kMaxChildren> children{};
        const std::size_t count = m_tree.Children(element, children.data(), children.size());
        const bool childrenInToolbar = inToolbar || info.role == ElementRole::Toolbar;
        for (std::size_t i = 0; i < count && i < children.size(); ++i) {
            if (children[i] == 0) {
                continue;
            }
            Walk(rule, children[i], depth + 1, childrenInToolbar);
            if (m_hit != 0 || m_windowDone || m_stopped) {
                return;
            }
        }
    }

    WindowTree& m_windows;
    AccessibleTree& m_tree;
    MonotonicClock& m_clock;
    CurrentArticle& m_article;
    const std::uint64_t m_deadline;
    ElementRef m_hit = 0;
    std::size_t m_elements = 0;
    bool m_stopped = false;
    bool m_windowDone = false;
};

}  // namespace

BarRule BarRuleFor(std::u16string_view className) {
    if (className == kChromiumFrame) {
        return BarRule::Chromium;
    }
    if (className == kFirefoxFrame) {
        return BarRule::Firefox;
    }
    return BarRule::None;
}

bool IsAddressBar(AccessibleTree& tree, BarRule rule, ElementRef element, const ElementInfo& info,
                  bool inToolbar) {
    switch (rule) {
        case BarRule::Chromium:
            return IsChromiumBar(info, inToolbar);
        case BarRule::Firefox: {
            // Only an edit can be the bar, which spares asking every element for its id.
            if (info.role != ElementRole::Edit) {
                return false;
            }
            std::array<char16_t, kAutomationIdRoom> id{};
            const std::size_t length = tree.AutomationId(element, id.data(), id.size());
            if (length == 0) {
                return IsChromiumBar(info, inToolbar);
            }
            return std::u16string_view(id.data(), length) == kFirefoxBarId;
        }
        case BarRule::None:
            break;
    }
    return false;
}

bool ReadAddressBar(AccessibleTree& tree, ElementRef bar, CurrentArticle& article) {
    ElementInfo info;
    if (bar == 0 || !tree.Describe(bar, info) || info.focused) {
        return false;
    }
    return ReadBarValue(tree, bar, article);
}

namespace {

bool ReadBarValue(AccessibleTree& tree, ElementRef bar, CurrentArticle& article) {
    PrefixableText address;
    char16_t* const text = address.data() + kHttpPrefixRoom;
    const std::size_t length = tree.Value(bar, text, kControlTextRoom);
    if (length == 0) {
        return false;
    }
    text[length < kControlTextRoom ? length : kControlTextRoom - 1] = u'\0';
    return MatchWithHttpPrefix(address, article);
}

}  // namespace

bool ScanAccessibleBars(WindowTree& windows, AccessibleTree& tree, MonotonicClock& clock,
                        AccessibleBarState& state, CurrentArticle& article, std::uint64_t budgetMs,
                        AccessibleSearchFigures* figures) {
    if (state.bar != 0) {
        if (ReadAddressBar(tree, state.bar, article)) {
            return true;
        }
        state.bar = tree.Keep(0);
    }
    const std::uint64_t now = clock.NowMs();
    if (state.searched && now - state.lastSearchMs < kSearchIntervalMs) {
        return false;
    }
    state.searched = true;
    state.lastSearchMs = now;
    BarSearch search(windows, tree, clock, article, now + budgetMs);
    windows.VisitTopLevel(search);
    if (figures != nullptr) {
        *figures = {search.elements(), search.stopped()};
    }
    state.bar = tree.Keep(search.hit());
    return state.bar != 0;
}
