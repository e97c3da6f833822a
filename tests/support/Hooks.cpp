#include "Hooks.h"

#include "SwapCounter.h"

extern "C" {
Uint32 __real_SDL_GetTicks(void);
void __real_SDL_GL_SwapBuffers(void);
Uint32 __wrap_SDL_GetTicks(void);
void __wrap_SDL_GL_SwapBuffers(void);
}

namespace {
bool frozen = false;
Uint32 frozenTicks = 0;
unsigned reads = 0;
SwapCounter swaps;
std::function<void()> swapHook;
std::function<void(Uint32)> tickHook;
} // namespace

namespace hooks {

void setTicks(Uint32 ms) {
    frozen = true;
    frozenTicks = ms;
}

void advanceTicks(Uint32 ms) {
    frozenTicks += ms;
}

void useRealTicks() {
    frozen = false;
}

unsigned tickReads() {
    return reads;
}

unsigned swapCount() {
    return swaps.swaps();
}

void resetCounts() {
    reads = 0;
    swaps = SwapCounter();
}

void onSwap(std::function<void()> f) {
    swapHook = std::move(f);
}

void onTickRead(std::function<void(Uint32)> f) {
    tickHook = std::move(f);
}

} // namespace hooks

Uint32 __wrap_SDL_GetTicks(void) {
    ++reads;
    Uint32 t = frozen ? frozenTicks : __real_SDL_GetTicks();
    if (tickHook) {
        tickHook(t);
    }
    return t;
}

void __wrap_SDL_GL_SwapBuffers(void) {
    swaps.count();
    if (swapHook) {
        swapHook();
    }
    __real_SDL_GL_SwapBuffers();
}
