// What the demo's SDL calls need to behave in a page as they do on the desktop.
#include "FixedFunction.h"
#include "GnuRandom.h"

#include <SDL.h>

#include <cstdlib>

extern "C" {
// Defined in library_zokk.js, the page's JavaScript library.
void zokk_present(void);
Uint32 zokk_ticks(void);
int zokk_frame_seed(void);
int zokk_context_restored(void);
}

namespace {
bool presented = false;
// The tick count the current pass of the loop has read, once it has read one.
bool ticksRead = false;
Uint32 passTicks = 0;
} // namespace

// A pass of the main loop reads the clock once, at its first SDL_GetTicks after the swap that
// ended the pass before, and every later read until its own swap gives that count. A distorted grid
// reads the tick count at each of its tens of thousands of corners, and a call out to JavaScript
// for each costs the page milliseconds a frame. On the desktop the clock may move on by a few
// milliseconds while one grid is drawn, which shifts the ripple by far less than a texel; the
// page draws each frame at one moment instead. Until the first frame is presented (while the
// scenes are built, and in that first frame) every read is the clock's, so the show starts its
// time when its first scene does.
extern "C" Uint32 SDL_GetTicks(void) {
    if (!presented) {
        return zokk_ticks();
    }
    if (!ticksRead) {
        passTicks = zokk_ticks();
        ticksRead = true;
    }
    return passTicks;
}

// A swap ends a scene's frame: it presents it and waits for the browser's next animation
// frame, which also hands the browser its turn to show it and to deliver input, so the show
// keeps the display's rate.
//
// While the browser has taken the WebGL context away, the show plays on unseen with its music;
// once the context is back, the next swap rebuilds what the scenes drew with, and the frame
// after it shows the show where it has got to.
extern "C" void SDL_GL_SwapBuffers(void) {
    if (zokk_context_restored()) {
        FixedFunction::instance().restore();
    }
    zokk_present();
    presented = true;
    ticksRead = false;
    // A test that puts the scenes at chosen moments also fixes the random numbers of the next
    // frame.
    const int seed = zokk_frame_seed();
    if (seed >= 0) {
        std::srand(static_cast<unsigned>(seed));
    }
}

// The C library's rand() and srand(), as the GNU C library computes them.
namespace {

GnuRandom& generator() {
    static GnuRandom g;
    return g;
}

} // namespace

extern "C" void srand(unsigned seed) {
    generator().seed(seed);
}

extern "C" int rand(void) {
    return generator().next();
}
