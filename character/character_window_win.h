#pragma once
// The character on screen: the main window (the character's picture, per-pixel alpha) and
// the balloon window lying on it (the balloon's text, white as colour key). The app's
// window procedures hand the messages over; the steps of a speech are carried out here.
// Both windows are laid out for the DPI of the monitor they are on (CharacterLayout): the
// sizes, the text, the command list and the drag handle scale with it, and the pictures are
// loaded at that scale.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>

#include "character/dpi_scale.h"
#include "character/pictures_win.h"
#include "character/quick_choice.h"
#include "character/speech.h"
#include "character/window_timers_win.h"
#include "common/handles_win.h"
#include "common/random_port.h"
#include "common/system_win.h"
#include "common/work_area_win.h"
#include "records/settings.h"
#include "voice/voice_player_win.h"

// Below this fade alpha the balloon is wiped, so that old text does not linger.
inline constexpr uint8_t kWipeBelowAlpha = 10;

inline constexpr wchar_t kMainWindowClass[] = L"ytm_tan_ee";
inline constexpr wchar_t kBalloonWindowClass[] = L"ytm_tan_ee_child";

struct CharacterContext {  // all owned by the app
    SpeechState& speech;
    Settings& settings;
    RandomDraw draw;
    const uint32_t& secondsRunning;
    HMODULE programModule;
    HMODULE editionModule;
    HMODULE voiceModule;
    std::function<void(uint32_t command)> runCommand;  // the context-menu command handler
    // Called when a speech of this kind has run out and the window is hidden: what follows
    // the end of a speech (a stretch closed, the program ended) is the app's to decide.
    std::function<void(uint32_t kind)> speechEnded;
    // The speech timers; null means the main window's own (WindowTimers). Tests record.
    TimerPort* timers = nullptr;
};

// What a speech did, step by step, for tests that follow a speech without looking at the
// screen. Every method has an empty default.
class CharacterObserver {
  public:
    virtual ~CharacterObserver() = default;
    // After each picture update: the picture asked for (null: keep), the one shown, alpha.
    virtual void FramePresented(HBITMAP /*requested*/, HBITMAP /*shown*/, uint8_t /*alpha*/) {}
    // After the balloon text was drawn: characters drawn, whether the strip was wiped.
    virtual void BalloonTextDrawn(uint32_t /*count*/, bool /*clearedStrip*/) {}
    // After the command list was drawn: the index of the highlighted item or -1.
    virtual void QuickChoicesDrawn(int /*hovered*/) {}
    // When the speaking phase starts the clip (whether or not it plays).
    virtual void VoiceStarted(uint32_t /*clip*/) {}
};

class CharacterWindows {
  public:
    explicit CharacterWindows(CharacterContext ctx);
    CharacterWindows(const CharacterWindows&) = delete;
    CharacterWindows& operator=(const CharacterWindows&) = delete;

    // Registers "ytm_tan_ee" (mainProc, the menu colour's brush) and "ytm_tan_ee_child" (the
    // balloon procedure, white stock brush), class icon 130 of the edition plug-in. A failed
    // registration goes unreported: the window's creation then fails.
    static void RegisterClasses(HINSTANCE instance, HMODULE editionModule, WNDPROC mainProc);

    enum class CreateResult { Created, NoMainWindow, NoBalloon };
    // Finds the initial position and its monitor's DPI (writing WindowLeft/Top when it had
    // to take the default; both are in the coordinates of a program without DPI awareness),
    // loads the pictures for that DPI, creates the main window (createParam as its creation
    // parameter; the app's creation handling runs inside, while MainWindow() is still null: it
    // works with the handle it is given), shows the first frame at alpha 0, creates the balloon
    // window with its colour key, and shows both. Creates the balloon font and takes the
    // cursors first. NoMainWindow has shown its error box. NoBalloon has shown nothing and
    // drawn nothing: the main window, with what its creation started, is the caller's to
    // take down before it tells the user.
    CreateResult Create(HINSTANCE instance, void* createParam);

    HWND MainWindow() const { return m_main; }
    HWND BalloonWindow() const { return m_balloon; }

    // One step of the running speech (WM_TIMER with a speech kind id). A tick of a kind that
    // is not the running speech's (a late timer of a replaced speech) only stops that timer.
    void SpeechTick(uint32_t kind);
    // The command list is shown and waits for a choice: kind 3314, c == 29, timer stopped.
    bool QuickMenuWaiting() const;

    void OnMouseMove(POINT client);
    // WM_SETCURSOR over the client area while the command list waits: keeps the cursor of
    // the last move (the hand over an item), where the class cursor would flicker in
    // between. False when the window's default answer should run.
    bool OnSetCursor(UINT hitTest);
    // Presses on the balloon part: a choice of the waiting command list, or cutting the
    // running speech short.
    void OnButtonDown(POINT client, bool left);
    // Keeps the dragged window's bottom on the work-area bottom of the nearest monitor.
    void OnMoving(RECT& proposed);
    // Moves the balloon window along with the main window.
    void OnMoved();
    // HTCAPTION from client x >= 256 at 96 DPI, scaled (the character drags the window),
    // else defaultAnswer.
    LRESULT HitTest(POINT screen, LRESULT defaultAnswer);
    // WM_DPICHANGED: the window now lies on a monitor of this DPI. Loads the pictures, the
    // font and the command list for it, then puts the shown picture at the new size on the
    // window in one update, on the same bottom edge, at the suggested left edge, and brings
    // the balloon window along. Nothing when the DPI is the one in use.
    void OnDpiChanged(int dpi, const RECT& suggested);
    // WM_GETDPISCALEDSIZE: the windows' size at dpi.
    SIZE SizeForDpi(int dpi) const;
    // The main window's rectangle in the coordinates of a program without DPI awareness
    // (what WindowLeft and WindowTop store); false when it cannot be told.
    bool UnawareWindowRect(RECT& rect) const;
    // The layout in use.
    const CharacterLayout& Layout() const { return m_layout; }
    void StopVoice();
    // Deletes the pictures and the balloon font (the windows go their own way).
    void Destroy();

    // --- The parts of a step, public for the app's paint handling and for tests ---

    // Puts ShownPicture (replaced by picture when it is not null) on the main window at the
    // fade alpha, and brings the balloon window to the same place and alpha.
    void PresentFrame(HBITMAP picture, uint8_t alpha);
    // Draws the due part of the text into the balloon; true when the whole text stands.
    bool DrawBalloonText(HDC dc, bool redrawNow);
    // Draws the command list with the item under the cursor (or under `cursor`, in client
    // coordinates) highlighted; returns that item's index or -1.
    int DrawQuickChoiceList(HWND window, HDC dc, std::optional<POINT> cursor = std::nullopt);
    // Jumps the running speech to the start of its fade-out (c = 30); nothing when c < 30.
    void SkipSpeech();
    // The balloon window's paint.
    void PaintBalloon();

    const PictureSet& Pictures() const { return m_pictures; }
    HBITMAP ShownPicture() const { return m_shown; }
    const QuickChoiceList& QuickChoices() const { return m_choices; }
    HFONT BalloonFont() const { return static_cast<HFONT>(m_font.get()); }
    VoicePlayer& Voice() { return m_voice; }
    MonitorApi& Monitors() { return m_monitors; }
    void SetObserver(CharacterObserver* observer) { m_observer = observer; }

  private:
    TimerPort& Timers();
    // The layout, the font and the command list for dpi (the pictures are the caller's).
    void UseDpi(int dpi);
    // PresentFrame with the window's top-left given (a move and a resize in one update).
    void PresentFrameAt(HBITMAP picture, uint8_t alpha, POINT topLeft);
    void PlaceWindow();
    void EndSpeech(uint32_t kind);
    void SetChoiceCursor(int hovered);

    CharacterContext m_ctx;
    std::optional<WindowTimers> m_windowTimers;
    HWND m_main = nullptr;
    HWND m_balloon = nullptr;
    CharacterLayout m_layout = LayoutForDpi(kBaseDpi);
    PictureSet m_pictures;
    HBITMAP m_shown = nullptr;
    PictureChoice m_shownChoice;  // m_shown's slot, to show the same at another DPI
    uint8_t m_alpha = 0;          // the fade alpha of the last update
    UniqueGdiObject m_font;
    HCURSOR m_arrow = nullptr;
    HCURSOR m_hand = nullptr;
    QuickChoiceList m_choices = MakeQuickChoiceList();
    bool m_quickTimerStopped = false;
    int m_hoveredChoice = -1;
    // A memory context kept for the picture updates, which come every 17 ms.
    UniqueHdc m_memoryDc;
    uint8_t m_balloonAlpha = 0;
    bool m_balloonAlphaSet = false;
    VoicePlayer m_voice;
    MonitorApi m_monitors;
    CharacterObserver* m_observer = nullptr;
};
