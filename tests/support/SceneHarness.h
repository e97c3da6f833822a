// Draws a scene at a chosen moment for the golden-frame tests: a frozen clock, a known rand()
// sequence, and the finished frame read back just before the scene swaps it.
#pragma once

#include "GoldenFrame.h"
#include "Images.h"

#include <SDL.h>
#include <string>
#include <vector>

class Scene;

namespace harness {

// Initialises scene with the clock at startTicks, then draws golden::framesDrawn frames at
// sceneTime with rand() seeded by seed before each, and returns the last one. The scene is
// de-initialised again afterwards. The defaults are the golden frames' rules.
testimages::Image frameAt(Scene& scene, Uint32 sceneTime, unsigned seed = golden::seed,
                          Uint32 startTicks = golden::sceneStart);

// A moment of the show with a golden frame: ms into scene (counted from 1).
struct Moment {
    int scene;
    Uint32 ms;
    // "scene<scene>-<ms>", the golden frame's name.
    std::string name() const;
};

// Every moment that has a golden frame, in playing order: one for every
// tests/references/scene<N>-<ms>.png, so that a new picture there is a new case.
std::vector<Moment> goldenMoments();

// Compares frame with the golden frame <name>: a pixel may be off by 16 levels a channel, and
// at most 1 % of the pixels by more. Software rendering here is exact; the margin absorbs
// another driver's rounding of edges.
::testing::AssertionResult matchesGolden(const testimages::Image& frame, const std::string& name);

// Draws scene at the moment as frameAt does and compares the frame with its golden frame.
::testing::AssertionResult matchesGolden(Scene& scene, const Moment& moment);

} // namespace harness
