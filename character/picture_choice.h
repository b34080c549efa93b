#pragma once
// Which of the character's pictures a speech shows at its first step. The pictures vary
// with the kind of the speech and, for some kinds, with how long the program has run.
#include <cstdint>

#include "common/random_port.h"

enum class PictureRole {
    None,
    AnimationFrame,  // index: the frame, 0-10
    Yawn,
    Warning,
    Click,
    Chime,  // index: 0-2
    Report,
    ViewingEnd,
    SecondReport,
};

struct PictureChoice {
    PictureRole role = PictureRole::None;
    int index = 0;
    bool operator==(const PictureChoice&) const = default;
};

// After this many seconds of running, the chime and report pictures start to vary.
inline constexpr uint32_t kOneDaySeconds = 86'400;

// The picture for the first step of a speech of this kind. Draws from the shared random
// generator only where the choice is random (chime after a day, report after a day without
// a warning), so that other users of the generator see the same sequence otherwise.
// An id that is no speech kind gives PictureRole::None (the shown picture stays).
PictureChoice ChoosePicture(uint32_t kind, uint32_t secondsRunning, bool elapsedWarning,
                            const RandomDraw& draw);
