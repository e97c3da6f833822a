// The demo's only window.
//
// SDLWindow starts SDL's video subsystem, opens the full-screen, double-buffered OpenGL video
// mode with the requested colour and depth size, names the window and hides the cursor. Once
// per pass of the main loop it drains the event queue (Escape asks to quit, f toggles
// full-screen) and presents the back buffer. Destroying it shuts SDL down, which also ends
// the OpenGL context.
#pragma once

#include <SDL.h>

class SDLWindow {
public:
    // The last argument is not consulted: the mode is always requested full-screen.
    SDLWindow(const char* title, int width, int height, int bpp, bool fullscreen);
    ~SDLWindow();

    SDLWindow(const SDLWindow&) = delete;
    SDLWindow& operator=(const SDLWindow&) = delete;

    // Handles every pending key press; returns true when Escape asks to quit (the events
    // behind it stay queued and nothing is swapped), otherwise swaps the buffers once and
    // returns false.
    bool handleEvents();

    // True when SDL started and the OpenGL video mode is set, so a context is current.
    bool isOpen() const { return initialized && screen != nullptr; }

private:
    SDL_Surface* screen = nullptr;
    SDL_Event event{};
    bool initialized = false;
};
