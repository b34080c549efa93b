#include "character/picture_choice.h"

#include "character/speech.h"

PictureChoice ChoosePicture(uint32_t kind, uint32_t secondsRunning, bool elapsedWarning,
                            const RandomDraw& draw) {
    switch (kind) {
        case IDT_TALK:
        case IDT_TALK + 2:
        case IDT_FAREWELL:
        case IDT_FAREWELL + 2:
            return {PictureRole::AnimationFrame, 0};
        case IDT_TALK + 1:
        case IDT_FAREWELL + 1:
            return {PictureRole::Yawn, 0};
        case IDT_QUICKMENU:
            return {PictureRole::Click, 0};
        case IDT_FINISHNOTICE:
            return {PictureRole::ViewingEnd, 0};
        case IDT_HOURLY:
        case IDT_ALARM:
            if (secondsRunning < kOneDaySeconds) {
                return {PictureRole::Chime, 0};
            }
            if (secondsRunning < 2 * kOneDaySeconds) {
                return {PictureRole::Chime, static_cast<int>(static_cast<unsigned>(draw()) % 2)};
            }
            return {PictureRole::Chime, static_cast<int>(static_cast<unsigned>(draw()) % 3)};
        case IDT_ELAPSED:
            if (elapsedWarning) {
                return {PictureRole::Warning, 0};
            }
            if (secondsRunning < kOneDaySeconds) {
                return {PictureRole::Report, 0};
            }
            return static_cast<unsigned>(draw()) % 2 == 0
                       ? PictureChoice{PictureRole::SecondReport, 0}
                       : PictureChoice{PictureRole::Report, 0};
        default:
            return {};
    }
}
