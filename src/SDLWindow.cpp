#include "SDLWindow.h"

#include "DisplayServer.h"

#include <cstdlib>
#include <cstring>
#include <iostream>

namespace {

// Without a display SDL quietly falls back to a video driver that shows nothing; a demo that
// nobody can see is a failure, unless the user picked that driver on purpose.
bool fellBackToNoDisplay() {
    if (std::getenv("SDL_VIDEODRIVER")) {
        return false;
    }
    char name[32] = "";
    if (!SDL_VideoDriverName(name, sizeof name)) {
        return false;
    }
    if (std::strcmp(name, "offscreen") != 0 && std::strcmp(name, "dummy") != 0) {
        return false;
    }
    SDL_SetError("no display to show the demo on (SDL fell back to its %s video driver)", name);
    return true;
}

#ifndef __EMSCRIPTEN__

// Swap intervals: a present waits for the next refresh of the display; adaptive does too, but
// shows a frame that comes late at once, with a tear, instead of holding it back a whole
// further refresh, which would halve the rate while drawing takes a little too long.
constexpr int synchronised = 1;
constexpr int adaptive = -1;

int swapInterval() {
    int interval = 0;
    SDL_GL_GetAttribute(SDL_GL_SWAP_CONTROL, &interval);
    return interval;
}

#endif

SDL_Surface* setVideoMode(int width, int height, int bpp) {
    return SDL_SetVideoMode(width, height, bpp, SDL_OPENGL | SDL_FULLSCREEN);
}

// Presents in step with the display, adaptive where the driver offers it. The compatibility
// layer applies the interval whenever a mode is set, and a user's SDL12COMPAT_SYNC_TO_VBLANK
// (0 or 1) takes its place, so that choice always wins. A page is paced by the browser's
// animation frames instead.
SDL_Surface* openSynchronised(int width, int height, int bpp) {
#ifdef __EMSCRIPTEN__
    return setVideoMode(width, height, bpp);
#else
    SDL_GL_SetAttribute(SDL_GL_SWAP_CONTROL, adaptive);
    SDL_Surface* screen = setVideoMode(width, height, bpp);
    if (screen && !std::getenv("SDL12COMPAT_SYNC_TO_VBLANK") && swapInterval() != adaptive) {
        // Refused: the same mode again, which keeps the window and, where the platform
        // allows, the context, with the plain interval. Nothing has been drawn yet.
        SDL_GL_SetAttribute(SDL_GL_SWAP_CONTROL, synchronised);
        screen = setVideoMode(width, height, bpp);
    }
    return screen;
#endif
}

} // namespace

SDLWindow::SDLWindow(const char* title, int width, int height, int bpp, bool) {
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::cerr << "Unable to initialize SDL: " << SDL_GetError() << std::endl;
        return;
    }
    initialized = true;
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    // The colour depth doubles as the depth-buffer size: 24 bits for the demo.
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, bpp);
    if (!fellBackToNoDisplay()) {
        screen = openSynchronised(width, height, bpp);
    }
    if (!screen) {
        std::cerr << "Couldn't set video mode: " << SDL_GetError() << std::endl;
        return;
    }
    SDL_WM_SetCaption(title, "");
    SDL_ShowCursor(SDL_DISABLE);
}

SDLWindow::~SDLWindow() {
    // The video surface belongs to SDL and goes with SDL_Quit; freeing it is harmless.
    if (screen) {
        SDL_FreeSurface(screen);
    }
    SDL_Quit();
}

bool SDLWindow::handleEvents() {
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_QUIT && DisplayServer::gone()) {
            // The picture has nowhere to go: end as a lost X server ends the show.
            std::cerr << "Lost the display: the Wayland compositor has gone away" << std::endl;
            displayLost = true;
            return true;
        }
        if (event.type != SDL_KEYDOWN) {
            // Releases, mouse, window-manager events and the quit request of a display that
            // still answers are all ignored: only Escape ends the show early.
            continue;
        }
        switch (event.key.keysym.sym) {
        case SDLK_ESCAPE:
            return true;
        case SDLK_f:
            SDL_WM_ToggleFullScreen(screen);
            break;
        default:
            break;
        }
    }
    return false;
}
