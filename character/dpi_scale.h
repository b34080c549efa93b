#pragma once
// The character's layout at every display scale. Its coordinates and sizes stay in the
// 96-DPI units they have always had; where they meet the screen they are scaled to the DPI
// of the window's monitor. Rectangles are scaled edge by edge, never as origin plus size, so
// parts that touch at 96 DPI (the balloon and the character, the text and its clearing
// strip) touch at every DPI, without a one-pixel gap or overlap.
//
// The window's stored position keeps the meaning it has always had: the coordinates that a
// program declaring no DPI awareness sees. Each monitor is known in both coordinate spaces,
// and a point is carried between them by the monitor it lies on.
#include <optional>
#include <span>

inline constexpr int kBaseDpi = 96;

// Size of both windows and of every picture, in 96-DPI units.
inline constexpr int kCharacterWidth = 420;
inline constexpr int kCharacterHeight = 350;
// Client x from which a press drags the window (the character) instead of acting on the
// speech (the balloon).
inline constexpr int kDragHandleLeft = 256;
// Cell height of the balloon's font.
inline constexpr int kBalloonFontHeight = 12;

// value * dpi / 96, to the nearest pixel, halves away from zero (as the system's MulDiv).
int ScaleToDpi(int value, int dpi);

struct PixelPoint {
    int x = 0;
    int y = 0;
    bool operator==(const PixelPoint&) const = default;
};

struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;  // exclusive
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Contains(PixelPoint p) const {
        return left <= p.x && p.x < right && top <= p.y && p.y < bottom;
    }
    bool operator==(const PixelRect&) const = default;
};

// Every edge scaled on its own.
PixelRect ScaleToDpi(const PixelRect& r, int dpi);

// What the character's windows place at one DPI, in the windows' client pixels.
struct CharacterLayout {
    int dpi = kBaseDpi;
    int width = 0;  // both windows
    int height = 0;
    int balloonWidth = 0;  // the balloon's columns of every picture; the pose has the rest
    int dragHandleLeft = 0;
    PixelRect text;        // the balloon's text rectangle
    PixelRect clearStrip;  // the strip wiped before some text draws; ends where the text does
    PixelPoint heading;    // where "ごようですか？" stands
    int fontHeight = 0;
    bool operator==(const CharacterLayout&) const = default;
};

// The layout at dpi (96 gives the 96-DPI layout unchanged).
CharacterLayout LayoutForDpi(int dpi);

// One monitor in the program's own (physical) pixels and as a program without DPI awareness
// sees it, with its DPI.
struct MonitorSpaces {
    PixelRect physical;
    PixelRect unaware;
    int dpi = kBaseDpi;
};

// The first monitor whose rectangle in the physical (or the unaware) space contains p; null
// for none.
const MonitorSpaces* MonitorContaining(std::span<const MonitorSpaces> monitors, PixelPoint p,
                                       bool unawareSpace);

// A point carried between the spaces by a monitor: relative to the monitor's top-left, scaled
// by its DPI. The point need not lie on the monitor (a window's top-left beside the corner
// that decides its monitor).
PixelPoint PhysicalToUnaware(PixelPoint p, const MonitorSpaces& monitor);
PixelPoint UnawareToPhysical(PixelPoint p, const MonitorSpaces& monitor);

// Where the character's window starts, and at which DPI.
struct StartPlacement {
    PixelPoint topLeft;  // physical
    int dpi = kBaseDpi;
    // The default corner was taken: its unaware coordinates are the ones to store.
    std::optional<PixelPoint> defaultStored;
};

// The stored top-left (unaware coordinates; nullopt when unset) holds when some monitor
// contains the window's top-right pixel there (unaware x + 419, y); the window then starts at
// that point carried into physical pixels by that monitor, at its DPI. Otherwise it starts in
// the bottom-right corner of the primary monitor's work area (physical), sized for the
// primary's DPI.
StartPlacement PlaceAtStart(std::optional<PixelPoint> stored,
                            std::span<const MonitorSpaces> monitors, const PixelRect& primaryWork,
                            int primaryDpi);

// The unaware top-left of a window whose physical rectangle is r, carried by the monitor that
// contains its top-right pixel; by the primary's DPI from the origin when none does.
PixelPoint UnawareTopLeft(const PixelRect& r, std::span<const MonitorSpaces> monitors,
                          int primaryDpi);
