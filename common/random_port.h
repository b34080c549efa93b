#pragma once
// The program's random draw, as the C runtime's rand() gives it: 0 to 32767.
// The app passes rand (seeded once at start-up); tests pass a scripted sequence.
#include <functional>

using RandomDraw = std::function<int()>;
