// Control over SDL's clock and buffer swap for the test executables.
//
// Test executables stand on FrameSeam (linked with its wraps), so every call that the demo's
// library makes to SDL_GetTicks and SDL_GL_SwapBuffers lands here. By default both pass
// straight through to SDL; a test can freeze the clock at any millisecond (also just below
// 2^32, to watch it wrap), count reads and swaps, and look at the back buffer just before a
// swap presents it.
#pragma once

#include <SDL.h>
#include <functional>

namespace hooks {

// Freezes the clock: every SDL_GetTicks call returns ms until the next set or advance.
void setTicks(Uint32 ms);
// Moves a frozen clock on by ms, modulo 2^32.
void advanceTicks(Uint32 ms);
// Makes SDL_GetTicks read SDL's own counter again.
void useRealTicks();
// Number of SDL_GetTicks calls since the last resetCounts.
unsigned tickReads();

// Number of SDL_GL_SwapBuffers calls since the last resetCounts.
unsigned swapCount();
void resetCounts();

// Runs f before every swap (to read the finished frame back); an empty f removes it.
void onSwap(std::function<void()> f);
// Runs f after every SDL_GetTicks read with the value returned, e.g. to step a frozen clock.
void onTickRead(std::function<void(Uint32)> f);

} // namespace hooks
