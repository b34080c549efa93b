#include "character/dpi_scale.h"

#include <cstdint>

#include "character/balloon_text.h"
#include "character/picture_decode.h"
#include "character/quick_choice.h"

namespace {

// value * numerator / denominator to the nearest whole number, halves away from zero.
int MulDivRound(int value, int numerator, int denominator) {
    if (denominator <= 0) {
        return value;
    }
    const int64_t product = int64_t{value} * numerator;
    const int64_t half = denominator / 2;
    const int64_t q =
        product >= 0 ? (product + half) / denominator : -((-product + half) / denominator);
    return static_cast<int>(q);
}

}  // namespace

int ScaleToDpi(int value, int dpi) {
    return MulDivRound(value, dpi, kBaseDpi);
}

PixelRect ScaleToDpi(const PixelRect& r, int dpi) {
    return {ScaleToDpi(r.left, dpi), ScaleToDpi(r.top, dpi), ScaleToDpi(r.right, dpi),
            ScaleToDpi(r.bottom, dpi)};
}

CharacterLayout LayoutForDpi(int dpi) {
    if (dpi <= 0) {
        dpi = kBaseDpi;
    }
    CharacterLayout l;
    l.dpi = dpi;
    l.width = ScaleToDpi(kCharacterWidth, dpi);
    l.height = ScaleToDpi(kCharacterHeight, dpi);
    l.balloonWidth = ScaleToDpi(BalloonWidth, dpi);
    l.dragHandleLeft = ScaleToDpi(kDragHandleLeft, dpi);
    l.text = ScaleToDpi(
        PixelRect{kBalloonTextLeft, kBalloonTextTop, kBalloonTextRight, kBalloonTextBottom}, dpi);
    l.clearStrip =
        ScaleToDpi(PixelRect{kClearStripLeft, kClearStripTop, kClearStripLeft + kClearStripWidth,
                             kClearStripTop + kClearStripHeight},
                   dpi);
    l.heading = {ScaleToDpi(kQuickChoiceHeadingX, dpi), ScaleToDpi(kQuickChoiceHeadingY, dpi)};
    l.fontHeight = ScaleToDpi(kBalloonFontHeight, dpi);
    return l;
}

const MonitorSpaces* MonitorContaining(std::span<const MonitorSpaces> monitors, PixelPoint p,
                                       bool unawareSpace) {
    for (const MonitorSpaces& m : monitors) {
        if ((unawareSpace ? m.unaware : m.physical).Contains(p)) {
            return &m;
        }
    }
    return nullptr;
}

PixelPoint PhysicalToUnaware(PixelPoint p, const MonitorSpaces& monitor) {
    return {monitor.unaware.left + MulDivRound(p.x - monitor.physical.left, kBaseDpi, monitor.dpi),
            monitor.unaware.top + MulDivRound(p.y - monitor.physical.top, kBaseDpi, monitor.dpi)};
}

PixelPoint UnawareToPhysical(PixelPoint p, const MonitorSpaces& monitor) {
    return {monitor.physical.left + MulDivRound(p.x - monitor.unaware.left, monitor.dpi, kBaseDpi),
            monitor.physical.top + MulDivRound(p.y - monitor.unaware.top, monitor.dpi, kBaseDpi)};
}

StartPlacement PlaceAtStart(std::optional<PixelPoint> stored,
                            std::span<const MonitorSpaces> monitors, const PixelRect& primaryWork,
                            int primaryDpi) {
    if (stored) {
        const PixelPoint topRight{stored->x + kCharacterWidth - 1, stored->y};
        if (const MonitorSpaces* m = MonitorContaining(monitors, topRight, true)) {
            return {UnawareToPhysical(*stored, *m), m->dpi, std::nullopt};
        }
    }
    const CharacterLayout layout = LayoutForDpi(primaryDpi);
    StartPlacement placement;
    placement.dpi = layout.dpi;
    placement.topLeft = {primaryWork.right - layout.width, primaryWork.bottom - layout.height};
    placement.defaultStored = UnawareTopLeft(
        {placement.topLeft.x, placement.topLeft.y, primaryWork.right, primaryWork.bottom}, monitors,
        primaryDpi);
    return placement;
}

PixelPoint UnawareTopLeft(const PixelRect& r, std::span<const MonitorSpaces> monitors,
                          int primaryDpi) {
    const PixelPoint topLeft{r.left, r.top};
    if (const MonitorSpaces* m = MonitorContaining(monitors, {r.right - 1, r.top}, false)) {
        return PhysicalToUnaware(topLeft, *m);
    }
    return PhysicalToUnaware(topLeft,
                             MonitorSpaces{{}, {}, primaryDpi > 0 ? primaryDpi : kBaseDpi});
}
