// What a step puts on screen: the picture on the main window, the text and the command
// list on the balloon window, and the balloon window's own procedure.
#include "character/balloon_text.h"
#include "character/character_window_win.h"
#include "common/boundary_win.h"
#include "common/text_win.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kChoiceText = RGB(0, 0, 170);
constexpr COLORREF kHoverText = RGB(0, 0, 34);
constexpr COLORREF kHoverBack = RGB(102, 255, 255);

// Text colours and background mode of a context, put back at the end of a draw.
class TextColoursScope {
  public:
    explicit TextColoursScope(HDC dc)
        : m_dc(dc),
          m_text(GetTextColor(dc)),
          m_back(GetBkColor(dc)),
          m_mode(SetBkMode(dc, OPAQUE)) {}
    ~TextColoursScope() {
        SetTextColor(m_dc, m_text);
        SetBkColor(m_dc, m_back);
        if (m_mode != 0) {
            SetBkMode(m_dc, m_mode);
        }
    }
    TextColoursScope(const TextColoursScope&) = delete;
    TextColoursScope& operator=(const TextColoursScope&) = delete;

  private:
    HDC m_dc;
    COLORREF m_text;
    COLORREF m_back;
    int m_mode;
};

}  // namespace

void CharacterWindows::PresentFrame(HBITMAP picture, uint8_t alpha) {
    RECT r{};
    GetWindowRect(m_main, &r);
    PresentFrameAt(picture, alpha, POINT{r.left, r.top});
}

void CharacterWindows::PresentFrameAt(HBITMAP picture, uint8_t alpha, POINT topLeft) {
    if (picture != nullptr) {
        m_shown = picture;
        m_shownChoice = m_pictures.Find(picture);
    }
    m_alpha = alpha;
    const int width = m_layout.width;
    const int height = m_layout.height;
    if (m_shown != nullptr) {
        WindowDc screen(nullptr);
        if (!m_memoryDc) {
            m_memoryDc.reset(CreateCompatibleDC(screen.get()));
        }
        // Selected only for the update, so that a picture can always be deleted.
        SelectScope select(m_memoryDc.get(), m_shown);
        SIZE size{width, height};
        POINT source{0, 0};
        BLENDFUNCTION blend{AC_SRC_OVER, 0, alpha, AC_SRC_ALPHA};
        UpdateLayeredWindow(m_main, screen.get(), &topLeft, &size, m_memoryDc.get(), &source, 0,
                            &blend, ULW_ALPHA);
    }
    if (m_observer != nullptr) {
        m_observer->FramePresented(picture, m_shown, alpha);
    }
    if (m_balloon == nullptr) {
        return;  // the first frame, shown while the balloon window is being created
    }
    RECT b{};
    GetWindowRect(m_balloon, &b);
    if (b.left != topLeft.x || b.top != topLeft.y || b.right - b.left != width ||
        b.bottom - b.top != height) {
        MoveWindow(m_balloon, topLeft.x, topLeft.y, width, height, TRUE);
    }
    // The attributes change only during the fades; setting them again at the same alpha
    // would cost a window update every step of the speaking phase.
    if (!m_balloonAlphaSet || m_balloonAlpha != alpha) {
        SetLayeredWindowAttributes(m_balloon, kWhite, alpha, LWA_COLORKEY | LWA_ALPHA);
        m_balloonAlpha = alpha;
        m_balloonAlphaSet = true;
    }
    if (alpha < kWipeBelowAlpha) {
        InvalidateRect(m_balloon, nullptr, TRUE);
    }
}

bool CharacterWindows::DrawBalloonText(HDC dc, bool redrawNow) {
    const BalloonTextPlan plan = PlanBalloonText(m_ctx.speech, redrawNow);
    if (!plan.draw || dc == nullptr) {
        return false;
    }
    if (plan.clearStrip) {
        SelectScope brush(dc, GetStockObject(WHITE_BRUSH));
        const PixelRect& strip = m_layout.clearStrip;
        PatBlt(dc, strip.left, strip.top, strip.Width(), strip.Height(), PATCOPY);
    }
    {
        SelectScope font(dc, m_font.get());
        TextColoursScope colours(dc);
        SetTextColor(dc, kBlack);
        SetBkColor(dc, kWhite);
        const PixelRect& t = m_layout.text;
        RECT text{t.left, t.top, t.right, t.bottom};
        DrawTextW(dc, AsWide(m_ctx.speech.SpeechText), static_cast<int>(plan.count), &text,
                  DT_WORDBREAK | DT_NOPREFIX);
    }
    if (m_observer != nullptr) {
        m_observer->BalloonTextDrawn(plan.count, plan.clearStrip);
    }
    return plan.complete;
}

int CharacterWindows::DrawQuickChoiceList(HWND window, HDC dc, std::optional<POINT> cursor) {
    POINT at{-1, -1};
    if (cursor) {
        at = *cursor;
    } else if (GetCursorPos(&at)) {
        ScreenToClient(window, &at);
    }
    int hovered = -1;
    {
        SelectScope font(dc, m_font.get());
        TextColoursScope colours(dc);
        SetBkColor(dc, kWhite);
        SetTextColor(dc, kBlack);
        static constexpr char16_t kHeading[] = u"ごようですか？";
        TextOutW(dc, m_layout.heading.x, m_layout.heading.y, AsWide(kHeading),
                 static_cast<int>(std::size(kHeading) - 1));
        for (size_t i = 0; i < m_choices.size() && m_choices[i].command != 0; ++i) {
            QuickChoiceItem& item = m_choices[i];
            const std::u16string label = QuickChoiceLabel(item, m_ctx.settings);
            SIZE size{};
            GetTextExtentPoint32W(dc, AsWide(label.c_str()), static_cast<int>(label.size()), &size);
            PlaceQuickChoice(item, size.cx, size.cy);
            const bool under = QuickChoiceContains(item, at.x, at.y);
            if (under && hovered < 0) {
                hovered = static_cast<int>(i);
            }
            SetTextColor(dc, under ? kHoverText : kChoiceText);
            SetBkColor(dc, under ? kHoverBack : kWhite);
            TextOutW(dc, item.left, item.top, AsWide(label.c_str()),
                     static_cast<int>(label.size()));
        }
    }
    if (m_observer != nullptr) {
        m_observer->QuickChoicesDrawn(hovered);
    }
    return hovered;
}

void CharacterWindows::PaintBalloon() {
    PaintScope paint(m_balloon);
    if (QuickMenuWaiting()) {
        SetChoiceCursor(DrawQuickChoiceList(m_balloon, paint.get()));
    } else {
        DrawBalloonText(paint.get(), true);
    }
}

namespace {

LRESULT HandleBalloonMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* windows = reinterpret_cast<CharacterWindows*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
        case WM_PAINT:
            if (windows != nullptr && windows->BalloonWindow() == window) {
                windows->PaintBalloon();
                return 0;
            }
            break;
        case WM_CLOSE:
            return 0;  // the balloon goes only with the main window
        case WM_DPICHANGED:
            return 0;  // the main window's handling brings the balloon to its size and place
        case WM_GETDPISCALEDSIZE:
            if (windows != nullptr) {
                *reinterpret_cast<SIZE*>(lParam) = windows->SizeForDpi(LOWORD(wParam));
                return TRUE;
            }
            break;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

LRESULT CALLBACK BalloonWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return WindowProcAtBoundary<HandleBalloonMessage>(window, message, wParam, lParam);
}
