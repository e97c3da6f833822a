// The one place where a program built on the show's classes takes over SDL's clock and buffer
// swap: the video capture, the test executables, the Windows frame test, the sanitizer run's
// stepped clock and the benchmark's first-frame probe all stand on it. The show itself always
// calls SDL_GetTicks and SDL_GL_SwapBuffers; this file stands in for those two calls.
//
// Never part of the show's library or a shipped program: built as the zokkseam library, it
// defines the link-time stand-ins of the two calls, which a program linked with
// --wrap=SDL_GetTicks and --wrap=SDL_GL_SwapBuffers (zokkseam's options) calls instead of SDL's.
// Built with ZOKK_SEAM_PRELOAD, into a library preloaded into a program that must stay
// unchanged, it defines SDL_GetTicks and SDL_GL_SwapBuffers themselves and finds SDL's behind
// it.
//
// By default both pass straight through to SDL. A program sets a clock to read instead of SDL's
// counter, and an action for every swap; each swap of the show ends a frame of a scene, and
// the action presents it with present() when it wants it shown. Setting either is safe from
// a static initialiser.
#pragma once

#include <SDL.h>
#include <functional>

class FrameSeam {
public:
    // What SDL_GetTicks returns; an empty function gives SDL's own counter back.
    static void setClock(std::function<Uint32()> clock);
    // Runs swap() at every swap instead of presenting it; an empty function presents every
    // swap again.
    static void setSwap(std::function<void()> swap);

    // SDL's own clock and buffer swap, whatever is set.
    static Uint32 sdlTicks();
    static void present();

    // Swaps since the program started or since the last resetSwaps.
    static unsigned swaps();
    static void resetSwaps();
};
