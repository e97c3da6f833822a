#include "FrameSeam.h"

#ifdef ZOKK_SEAM_PRELOAD
#include <dlfcn.h>
#endif

namespace {

// In one function so that a static initialiser of another file, or of a preloaded library,
// finds it constructed.
struct State {
    std::function<Uint32()> clock;
    std::function<void()> swap;
    unsigned swaps = 0;
};

State& state() {
    static State s;
    return s;
}

Uint32 readClock() {
    State& s = state();
    return s.clock ? s.clock() : FrameSeam::sdlTicks();
}

void swapBuffers() {
    State& s = state();
    ++s.swaps;
    if (s.swap) {
        s.swap();
    } else {
        FrameSeam::present();
    }
}

} // namespace

#ifdef ZOKK_SEAM_PRELOAD

namespace {
template <typename F> F* sdls(const char* name) {
    return reinterpret_cast<F*>(dlsym(RTLD_NEXT, name));
}
} // namespace

Uint32 FrameSeam::sdlTicks() {
    static const auto real = sdls<Uint32()>("SDL_GetTicks");
    return real();
}

void FrameSeam::present() {
    static const auto real = sdls<void()>("SDL_GL_SwapBuffers");
    real();
}

extern "C" Uint32 SDL_GetTicks(void) {
    return readClock();
}

extern "C" void SDL_GL_SwapBuffers(void) {
    swapBuffers();
}

#else

extern "C" {
Uint32 __real_SDL_GetTicks(void);
void __real_SDL_GL_SwapBuffers(void);

Uint32 __wrap_SDL_GetTicks(void) {
    return readClock();
}

void __wrap_SDL_GL_SwapBuffers(void) {
    swapBuffers();
}
}

Uint32 FrameSeam::sdlTicks() {
    return __real_SDL_GetTicks();
}

void FrameSeam::present() {
    __real_SDL_GL_SwapBuffers();
}

#endif

void FrameSeam::setClock(std::function<Uint32()> clock) {
    state().clock = std::move(clock);
}

void FrameSeam::setSwap(std::function<void()> swap) {
    state().swap = std::move(swap);
}

unsigned FrameSeam::swaps() {
    return state().swaps;
}

void FrameSeam::resetSwaps() {
    state().swaps = 0;
}
