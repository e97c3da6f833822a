/* Preloaded into the real zokk by the stepped-show test. SDL's millisecond clock stands still
 * between buffer swaps and moves on by ZOKK_MS_PER_SWAP (default 25) at each one, so the whole
 * 29.9-second show plays in as many swaps as it needs, however slowly each frame draws (under
 * the sanitizers, say), and every frame sees the clock it would see at that rate. At each swap
 * any OpenGL error still pending is reported on standard error, one line per error flag.
 *
 * Under LeakSanitizer, allocations made inside three calls into the system's libraries are left
 * out of the leak check (the sanitizer cannot unwind through those libraries to name them in a
 * suppression, and its slow unwinder deadlocks in them). Each leaks on its own, whatever the
 * caller does, and nothing of zokk's own code runs inside them:
 * - Mix_OpenAudio: SDL 2's audio start-up asks D-Bus about the session, and libdbus keeps its
 *   read buffer of that exchange (about 1 KB) to the end of the process;
 * - SDL_SetVideoMode: the SDL 1.2 compatibility layer does not free its video surface's
 *   pixel-format block when SDL shuts down;
 * - SDL_GL_SwapBuffers: the Mesa driver keeps two small blocks (112 bytes) it allocates while
 *   presenting a frame, through the compatibility layer's scaling pass, to the end. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

typedef unsigned int GLenum;

static uint32_t ticks = 1000;
static uint32_t swaps;

static uint32_t msPerSwap(void) {
    static uint32_t step;
    if (step == 0) {
        const char* text = getenv("ZOKK_MS_PER_SWAP");
        step = text ? (uint32_t)strtoul(text, NULL, 10) : 25;
        if (step == 0) {
            step = 25;
        }
    }
    return step;
}

static void* next(const char* name) {
    return dlsym(RTLD_NEXT, name);
}

/* LeakSanitizer's switch, when the sanitizer runtime is loaded; a no-op otherwise. */
static void ignoreLeaks(int on) {
    void (*lsan)(void) =
        (void (*)(void))dlsym(RTLD_DEFAULT, on ? "__lsan_disable" : "__lsan_enable");
    if (lsan) {
        lsan();
    }
}

int Mix_OpenAudio(int frequency, uint16_t format, int channels, int chunkSize) {
    static int (*real)(int, uint16_t, int, int);
    if (!real) {
        real = (int (*)(int, uint16_t, int, int))next("Mix_OpenAudio");
    }
    ignoreLeaks(1);
    const int result = real(frequency, format, channels, chunkSize);
    ignoreLeaks(0);
    return result;
}

void* SDL_SetVideoMode(int width, int height, int bpp, uint32_t flags) {
    static void* (*real)(int, int, int, uint32_t);
    if (!real) {
        real = (void* (*)(int, int, int, uint32_t))next("SDL_SetVideoMode");
    }
    ignoreLeaks(1);
    void* screen = real(width, height, bpp, flags);
    ignoreLeaks(0);
    return screen;
}

uint32_t SDL_GetTicks(void) {
    return ticks;
}

void SDL_GL_SwapBuffers(void) {
    static void (*real)(void);
    static GLenum (*glGetError)(void);
    if (!real) {
        real = (void (*)(void))next("SDL_GL_SwapBuffers");
        glGetError = (GLenum(*)(void))dlsym(RTLD_DEFAULT, "glGetError");
    }
    ++swaps;
    if (glGetError) {
        /* A context may lose itself and report errors forever; a handful of lines is enough. */
        for (int i = 0; i < 8; ++i) {
            const GLenum error = glGetError();
            if (error == 0) {
                break;
            }
            fprintf(stderr, "steppedclock: OpenGL error 0x%04x pending at swap %u (%u ms)\n", error,
                    swaps, ticks);
        }
    }
    ignoreLeaks(1);
    real();
    ignoreLeaks(0);
    ticks += msPerSwap();
}
