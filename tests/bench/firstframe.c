/* Preloaded into zokk by the benchmark: writes the wall-clock time of the first frame a scene
 * presents (the second buffer swap; the first is the window's, before any scene has drawn)
 * to the file named by ZOKK_FIRST_FRAME_FILE, as seconds since the epoch. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

void SDL_GL_SwapBuffers(void) {
    static void (*real)(void);
    static int swaps;
    if (!real) {
        real = (void (*)(void))dlsym(RTLD_NEXT, "SDL_GL_SwapBuffers");
    }
    if (++swaps == 2) {
        const char* path = getenv("ZOKK_FIRST_FRAME_FILE");
        FILE* out = path ? fopen(path, "w") : NULL;
        if (out) {
            struct timespec now;
            clock_gettime(CLOCK_REALTIME, &now);
            fprintf(out, "%ld.%09ld\n", (long)now.tv_sec, now.tv_nsec);
            fclose(out);
        }
    }
    real();
}
