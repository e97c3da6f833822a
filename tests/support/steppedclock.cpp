// Preloaded into the real zokk by the stepped-show test, with FrameSeam built in as a preload.
// SDL's millisecond clock stands still between buffer swaps and moves on by ZOKK_MS_PER_SWAP
// (default 25) at each one, so the whole 29.9-second show plays in as many swaps as it needs,
// however slowly each frame draws (under the sanitizers, say), and every frame sees the clock it
// would see at that rate. At each swap any OpenGL error still pending is reported on standard
// error, one line per error flag.
//
// Under LeakSanitizer, allocations made inside three calls into the system's libraries are left
// out of the leak check (the sanitizer cannot unwind through those libraries to name them in a
// suppression, and its slow unwinder deadlocks in them). Each leaks on its own, whatever the
// caller does, and nothing of zokk's own code runs inside them:
// - Mix_OpenAudio: SDL 2's audio start-up asks D-Bus about the session, and libdbus keeps its
//   read buffer of that exchange (about 1 KB) to the end of the process;
// - SDL_SetVideoMode: the SDL 1.2 compatibility layer does not free its video surface's
//   pixel-format block when SDL shuts down;
// - SDL_GL_SwapBuffers: the Mesa driver keeps two small blocks (112 bytes) it allocates while
//   presenting a frame, through the compatibility layer's scaling pass, to the end. Where
//   nothing has been presented yet, it makes them while the first frame is drawn instead, so
//   the video mode is presented once, still inside the left-out call, before the show draws.
#include "FrameSeam.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

namespace {

using GLenum = unsigned int;

Uint32 ticks = 1000;

Uint32 msPerSwap() {
    const char* text = std::getenv("ZOKK_MS_PER_SWAP");
    const Uint32 step = text ? static_cast<Uint32>(std::strtoul(text, nullptr, 10)) : 0;
    return step != 0 ? step : 25;
}

template <typename F> F* next(const char* name) {
    return reinterpret_cast<F*>(dlsym(RTLD_NEXT, name));
}

// LeakSanitizer's switch, when the sanitizer runtime is loaded; a no-op otherwise.
void ignoreLeaks(bool on) {
    const auto lsan =
        reinterpret_cast<void (*)()>(dlsym(RTLD_DEFAULT, on ? "__lsan_disable" : "__lsan_enable"));
    if (lsan) {
        lsan();
    }
}

void reportErrors(unsigned swap) {
    static const auto glGetError =
        reinterpret_cast<GLenum (*)()>(dlsym(RTLD_DEFAULT, "glGetError"));
    if (!glGetError) {
        return;
    }
    // A context may lose itself and report errors forever; a handful of lines is enough.
    for (int i = 0; i < 8; ++i) {
        const GLenum error = glGetError();
        if (error == 0) {
            break;
        }
        std::fprintf(stderr, "steppedclock: OpenGL error 0x%04x pending at swap %u (%u ms)\n",
                     error, swap, ticks);
    }
}

const bool installed = [] {
    FrameSeam::setClock([] { return ticks; });
    FrameSeam::setSwap([step = msPerSwap()] {
        reportErrors(FrameSeam::swaps());
        ignoreLeaks(true);
        FrameSeam::present();
        ignoreLeaks(false);
        ticks += step;
    });
    return true;
}();

} // namespace

extern "C" int Mix_OpenAudio(int frequency, Uint16 format, int channels, int chunkSize) {
    static const auto real = next<int(int, Uint16, int, int)>("Mix_OpenAudio");
    ignoreLeaks(true);
    const int result = real(frequency, format, channels, chunkSize);
    ignoreLeaks(false);
    return result;
}

extern "C" SDL_Surface* SDL_SetVideoMode(int width, int height, int bpp, Uint32 flags) {
    static const auto real = next<SDL_Surface*(int, int, int, Uint32)>("SDL_SetVideoMode");
    ignoreLeaks(true);
    SDL_Surface* screen = real(width, height, bpp, flags);
    // The driver's blocks of the first present are made now, before the show draws anything.
    if (screen) {
        FrameSeam::present();
    }
    ignoreLeaks(false);
    return screen;
}
