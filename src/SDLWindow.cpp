#include "SDLWindow.h"

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
        screen = SDL_SetVideoMode(width, height, bpp, SDL_OPENGL | SDL_FULLSCREEN);
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
        if (event.type != SDL_KEYDOWN) {
            // Releases, mouse, window-manager events and the quit request are all ignored:
            // only Escape ends the show early.
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
    if (isOpen()) {
        SDL_GL_SwapBuffers();
    }
    return false;
}
