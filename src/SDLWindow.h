// The demo's only window.
//
// SDLWindow starts SDL's video subsystem, opens the full-screen, double-buffered OpenGL video
// mode with the requested colour and depth size, names the window and hides the cursor. Its
// presents wait for the display's refresh, so the show plays at the display's rate without
// tearing. Once per pass of the main loop it drains the event queue: Escape asks to quit, f
// toggles full-screen, and a display that has gone away ends the show. It presents nothing
// itself: each pass's one present is the scene's, at the end of its frame. Destroying it
// shuts SDL down, which also ends the OpenGL context.
#pragma once

#include <SDL.h>

class SDLWindow {
public:
    // The last argument is not consulted: the mode is always requested full-screen.
    SDLWindow(const char* title, int width, int height, int bpp, bool fullscreen);
    ~SDLWindow();

    SDLWindow(const SDLWindow&) = delete;
    SDLWindow& operator=(const SDLWindow&) = delete;

    // Handles every pending event; returns true when Escape asks to quit (the events behind
    // it stay queued) or the display has gone away, false otherwise.
    bool handleEvents();

    // True when SDL started and the OpenGL video mode is set, so a context is current, and
    // the display it shows on is still there.
    bool isOpen() const { return initialized && screen != nullptr && !displayLost; }

private:
    SDL_Surface* screen = nullptr;
    SDL_Event event{};
    bool initialized = false;
    bool displayLost = false;
};
