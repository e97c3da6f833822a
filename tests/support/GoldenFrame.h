// How a golden frame is drawn, wherever one is drawn to compare with tests/references/ (the
// scene tests on Linux through SceneHarness, the Windows frame test's build of zokk.exe): the
// same rules make the same picture on every platform.
#pragma once

#include <SDL.h>

namespace golden {

// The tick count at which the scene is initialised; its moments are counted from here.
constexpr Uint32 sceneStart = 100000;
// rand() is seeded with this before each frame drawn at the moment.
constexpr unsigned seed = 1;
// Frames drawn at the moment; the last is kept. The first settles state that a scene carries
// from frame to frame, such as the strobe's clear colour.
constexpr int framesDrawn = 2;

} // namespace golden
