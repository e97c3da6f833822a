// Preloaded into zokk by the benchmark: writes the wall-clock time of the first frame a scene
// presents (the first swap that ends a frame) to the file named by ZOKK_FIRST_FRAME_FILE, as
// seconds since the epoch.
#include "SwapCounter.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

extern "C" void SDL_GL_SwapBuffers(void) {
    static const auto real = reinterpret_cast<void (*)()>(dlsym(RTLD_NEXT, "SDL_GL_SwapBuffers"));
    static SwapCounter counter;
    static bool written = false;
    counter.count();
    if (counter.endsFrame() && !written) {
        written = true;
        const char* path = std::getenv("ZOKK_FIRST_FRAME_FILE");
        if (FILE* out = path ? std::fopen(path, "w") : nullptr) {
            timespec now{};
            clock_gettime(CLOCK_REALTIME, &now);
            std::fprintf(out, "%ld.%09ld\n", static_cast<long>(now.tv_sec), now.tv_nsec);
            std::fclose(out);
        }
    }
    real();
}
