// The ceiling for the benchmark: the frame rate of a main-loop pass that draws nothing (the
// window's swap, a clear and the scene's swap) in the demo's own window.
#include "SDLWindow.h"

#include <GL/gl.h>
#include <cstdio>

int main() {
    SDLWindow window("ZOKK!!!~~", 640, 480, 24, false);
    if (!window.isOpen()) {
        return 1;
    }
    const Uint32 seconds = 3;
    const Uint32 start = SDL_GetTicks();
    unsigned frames = 0;
    while (SDL_GetTicks() - start < seconds * 1000) {
        if (window.handleEvents()) {
            break;
        }
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        SDL_GL_SwapBuffers();
        ++frames;
    }
    std::printf("%.1f\n", frames * 1000.0 / (SDL_GetTicks() - start));
    return 0;
}
