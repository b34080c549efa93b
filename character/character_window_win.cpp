#include "character/character_window_win.h"

#include "character/dpi_win.h"
#include "character/picture_choice.h"
#include "character/speech_step.h"
#include "common/message_box_win.h"
#include "resources/resource.h"

namespace {

// The window's top-right pixel: the position test of creation and of every speech. (The
// rectangle's right edge itself lies just outside the window.)
POINT TopRight(const RECT& r) {
    return {r.right - 1, r.top};
}

constexpr UINT kShowInPlace = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW;

PixelRect ToPixelRect(const RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}

}  // namespace

LRESULT CALLBACK BalloonWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

CharacterWindows::CharacterWindows(CharacterContext ctx) : m_ctx(std::move(ctx)) {}

void CharacterWindows::RegisterClasses(HINSTANCE instance, HMODULE editionModule,
                                       WNDPROC mainProc) {
    // LoadIconW gives the system's large-icon size, shared (never destroyed).
    HICON icon = editionModule != nullptr ? LoadIconW(editionModule, MAKEINTRESOURCEW(IDI_EDITION))
                                          : nullptr;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = mainProc;
    wc.hInstance = instance;
    wc.hIcon = icon;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    // The menu colour's system brush (a colour index plus one stands for its brush). The
    // window is layered and never paints its background: only the class record carries it.
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_MENU + 1));
    wc.lpszClassName = kMainWindowClass;
    RegisterClassExW(&wc);
    wc.lpfnWndProc = BalloonWindowProc;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = kBalloonWindowClass;
    RegisterClassExW(&wc);
}

CharacterWindows::CreateResult CharacterWindows::Create(HINSTANCE instance, void* createParam) {
    // The stored position is in the coordinates of a program without DPI awareness (what the
    // program has always stored); it is carried into physical pixels by its monitor.
    Settings& s = m_ctx.settings;
    std::optional<PixelPoint> stored;
    if (s.WindowLeft != PositionUnset && s.WindowTop != PositionUnset) {
        stored = PixelPoint{s.WindowLeft, s.WindowTop};
    }
    const std::vector<MonitorSpaces> monitors = EnumerateMonitorSpaces();
    const StartPlacement start =
        PlaceAtStart(stored, monitors, ToPixelRect(PrimaryWorkArea(m_monitors)),
                     MonitorDpi(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY)));
    if (start.defaultStored) {
        s.WindowLeft = start.defaultStored->x;
        s.WindowTop = start.defaultStored->y;
    }
    const int x = start.topLeft.x;
    const int y = start.topLeft.y;

    UseDpi(start.dpi);
    m_pictures = LoadPictureSet(m_ctx.programModule, m_ctx.editionModule, m_layout.dpi);
    m_arrow = LoadCursorW(nullptr, IDC_ARROW);
    m_hand = LoadCursorW(nullptr, IDC_HAND);

    m_main = CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kMainWindowClass,
                             kProgramName, WS_POPUP, x, y, m_layout.width, m_layout.height, nullptr,
                             nullptr, instance, createParam);
    if (m_main == nullptr) {
        ShowMessageBox(nullptr, L"ウィンドウの生成に失敗しました。", kProgramName,
                       MB_OK | MB_ICONERROR);
        return CreateResult::NoMainWindow;
    }
    m_windowTimers.emplace(m_main);

    // The window exists from now on but shows nothing until the first speech.
    PresentFrame(m_pictures.Get({PictureRole::AnimationFrame, 0}), 0);
    // The system gives the window the DPI of the monitor it lies on; where that is not the
    // one it was made for (a monitor's DPI that the system did not tell), it follows.
    if (const int dpi = WindowDpi(m_main); dpi != m_layout.dpi) {
        RECT r{};
        GetWindowRect(m_main, &r);
        OnDpiChanged(dpi, r);
    }

    RECT placed{};
    GetWindowRect(m_main, &placed);
    m_balloon =
        CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TRANSPARENT | WS_EX_TOPMOST,
                        kBalloonWindowClass, kProgramName, WS_POPUP, placed.left, placed.top,
                        m_layout.width, m_layout.height, m_main, nullptr, instance, this);
    if (m_balloon == nullptr) {
        return CreateResult::NoBalloon;
    }
    SetLayeredWindowAttributes(m_balloon, RGB(255, 255, 255), 0, LWA_COLORKEY | LWA_ALPHA);
    m_balloonAlpha = 0;
    m_balloonAlphaSet = true;

    ShowWindow(m_main, SW_SHOWNORMAL);
    UpdateWindow(m_main);
    ShowWindow(m_balloon, SW_SHOWNORMAL);
    UpdateWindow(m_balloon);
    return CreateResult::Created;
}

TimerPort& CharacterWindows::Timers() {
    if (m_ctx.timers != nullptr) {
        return *m_ctx.timers;
    }
    if (!m_windowTimers) {
        m_windowTimers.emplace(m_main);
    }
    return *m_windowTimers;
}

void CharacterWindows::PlaceWindow() {
    RECT r{};
    GetWindowRect(m_main, &r);
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    RECT work{};
    int x = r.left;
    int y = r.top;
    UINT flags = SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW;
    if (MonitorWorkArea(MonitorFromPoint(TopRight(r), MONITOR_DEFAULTTONULL), work, m_monitors)) {
        if (r.bottom == work.bottom) {
            flags |= SWP_NOMOVE;
        } else {
            y = work.bottom - h;
        }
    } else {
        work = PrimaryWorkArea(m_monitors);
        x = work.right - w;
        y = work.bottom - h;
    }
    SetWindowPos(m_main, HWND_TOPMOST, x, y, 0, 0, flags);
}

void CharacterWindows::SpeechTick(uint32_t kind) {
    SpeechState& speech = m_ctx.speech;
    if (kind != speech.ActiveSpeechTimer || m_main == nullptr) {
        Timers().StopTimer(kind);
        return;
    }
    const SpeechStepPlan plan = PlanSpeechStep(speech);
    if (plan.startVoice) {
        if (m_observer != nullptr) {
            m_observer->VoiceStarted(speech.SpeechVoice);
        }
        PlayVoice(m_voice, m_ctx.settings, m_ctx.voiceModule, speech.SpeechVoice);
    }
    if (plan.placeAndChoosePicture) {
        PlaceWindow();
        const PictureChoice choice =
            ChoosePicture(kind, m_ctx.secondsRunning, speech.ElapsedWarning, m_ctx.draw);
        PresentFrame(m_pictures.Get(choice), plan.alpha);
    } else {
        if (plan.raise) {
            SetWindowPos(m_main, HWND_TOPMOST, 0, 0, 0, 0, kShowInPlace);
        }
        PresentFrame(nullptr, plan.alpha);
    }
    if (plan.animationFrame >= 0) {
        PresentFrame(m_pictures.Get({PictureRole::AnimationFrame, plan.animationFrame}), 255);
    }
    if (plan.drawText) {
        WindowDc dc(m_balloon);
        DrawBalloonText(dc.get(), plan.redrawText);
        if (plan.freezeQuickMenu) {
            PresentFrame(m_pictures.Get({PictureRole::Click, 0}), 255);
            m_hoveredChoice = DrawQuickChoiceList(m_balloon, dc.get());
            Timers().StopTimer(kind);
            m_quickTimerStopped = true;
        }
    }
    speech.SpeechStep = plan.nextStep;
    if (plan.ends) {
        EndSpeech(kind);
    }
}

void CharacterWindows::EndSpeech(uint32_t kind) {
    SpeechState& speech = m_ctx.speech;
    Timers().StopTimer(kind);
    speech.ActiveSpeechTimer = 0;
    ShowWindow(m_main, SW_HIDE);
    if (m_ctx.speechEnded) {
        m_ctx.speechEnded(kind);
    }
}

bool CharacterWindows::QuickMenuWaiting() const {
    const SpeechState& speech = m_ctx.speech;
    return speech.ActiveSpeechTimer == IDT_QUICKMENU && speech.SpeechStep == kFadeSteps - 1 &&
           m_quickTimerStopped;
}

void CharacterWindows::SkipSpeech() {
    SpeechState& speech = m_ctx.speech;
    if (speech.ActiveSpeechTimer == 0 || speech.SpeechStep < kFadeSteps) {
        return;
    }
    Timers().StopTimer(speech.ActiveSpeechTimer);
    Timers().StartTimer(speech.ActiveSpeechTimer, kSpeechPeriodMs);
    m_quickTimerStopped = false;
    speech.SpeechStep = kFadeSteps;
}

void CharacterWindows::SetChoiceCursor(int hovered) {
    m_hoveredChoice = hovered;
    SetCursor(hovered < 0 ? m_arrow : m_hand);
}

bool CharacterWindows::OnSetCursor(UINT hitTest) {
    if (hitTest != HTCLIENT || !QuickMenuWaiting()) {
        return false;
    }
    SetCursor(m_hoveredChoice < 0 ? m_arrow : m_hand);
    return true;
}

void CharacterWindows::OnMouseMove(POINT client) {
    if (!QuickMenuWaiting()) {
        return;
    }
    WindowDc dc(m_balloon);
    SetChoiceCursor(DrawQuickChoiceList(m_balloon, dc.get(), client));
}

void CharacterWindows::OnButtonDown(POINT client, bool left) {
    if (QuickMenuWaiting()) {
        if (!left) {
            return;
        }
        const uint32_t command = HitTestQuickChoice(m_choices, client.x, client.y);
        if (command == 0) {
            return;
        }
        SetChoiceCursor(-1);
        // The fade-out follows from c = 29 while the command runs (it may open a dialog).
        m_quickTimerStopped = false;
        Timers().StartTimer(IDT_QUICKMENU, kSpeechPeriodMs);
        if (m_ctx.runCommand) {
            m_ctx.runCommand(command);
        }
        return;
    }
    SkipSpeech();
}

void CharacterWindows::OnMoving(RECT& proposed) {
    RECT work{};
    if (!MonitorWorkArea(MonitorFromPoint(TopRight(proposed), MONITOR_DEFAULTTONEAREST), work,
                         m_monitors)) {
        return;
    }
    const LONG shift = work.bottom - proposed.bottom;
    proposed.top += shift;
    proposed.bottom += shift;
}

void CharacterWindows::OnMoved() {
    if (m_main == nullptr || m_balloon == nullptr) {
        return;
    }
    RECT r{};
    GetWindowRect(m_main, &r);
    SetWindowPos(m_balloon, nullptr, r.left, r.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CharacterWindows::HitTest(POINT screen, LRESULT defaultAnswer) {
    POINT client = screen;
    if (m_main != nullptr && ScreenToClient(m_main, &client) &&
        client.x >= m_layout.dragHandleLeft) {
        return HTCAPTION;
    }
    return defaultAnswer;
}

void CharacterWindows::UseDpi(int dpi) {
    m_layout = LayoutForDpi(dpi);
    // Height 12 at 96 DPI, weight 500, Shift-JIS, TrueType, without antialiasing: the
    // balloon's text is drawn on a colour-keyed window, where blended edges would show as a
    // white fringe. The font is made at the window's DPI, so its strokes stay one colour.
    m_font.reset(CreateFontW(m_layout.fontHeight, 0, 0, 0, 500, FALSE, FALSE, FALSE,
                             SHIFTJIS_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS,
                             NONANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"MS UI Gothic"));
    // The items' places scale; their extents are measured again at the next draw.
    m_choices = MakeQuickChoiceList(m_layout.dpi);
}

void CharacterWindows::OnDpiChanged(int dpi, const RECT& suggested) {
    if (dpi <= 0 || dpi == m_layout.dpi || m_main == nullptr) {
        return;
    }
    // Everything for the new DPI is made before anything on screen changes.
    PictureSet pictures = LoadPictureSet(m_ctx.programModule, m_ctx.editionModule, dpi);
    RECT r{};
    GetWindowRect(m_main, &r);
    UseDpi(dpi);
    // The old bitmaps go only after the new one has replaced them on the window.
    PictureSet old = std::move(m_pictures);
    m_pictures = std::move(pictures);
    HBITMAP shown = m_pictures.Get(m_shownChoice);
    m_shown = nullptr;
    const POINT topLeft{suggested.left, r.bottom - m_layout.height};
    if (shown != nullptr) {
        // One update moves, resizes and repaints the layered window: it never shows the old
        // picture at the new size or the new one at the old size.
        PresentFrameAt(shown, m_alpha, topLeft);
    } else {
        SetWindowPos(m_main, nullptr, topLeft.x, topLeft.y, m_layout.width, m_layout.height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        PresentFrameAt(nullptr, m_alpha, topLeft);
    }
}

SIZE CharacterWindows::SizeForDpi(int dpi) const {
    const CharacterLayout layout = LayoutForDpi(dpi);
    return SIZE{layout.width, layout.height};
}

bool CharacterWindows::UnawareWindowRect(RECT& rect) const {
    RECT r{};
    if (m_main == nullptr || !GetWindowRect(m_main, &r)) {
        return false;
    }
    const std::vector<MonitorSpaces> monitors = EnumerateMonitorSpaces();
    const PixelPoint topLeft =
        UnawareTopLeft(ToPixelRect(r), monitors,
                       MonitorDpi(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY)));
    rect = RECT{topLeft.x, topLeft.y, topLeft.x + kCharacterWidth, topLeft.y + kCharacterHeight};
    return true;
}

void CharacterWindows::StopVoice() {
    ::StopVoice(m_voice);
}

void CharacterWindows::Destroy() {
    m_shown = nullptr;
    m_memoryDc.reset();
    m_pictures.Clear();
    m_font.reset();
}
