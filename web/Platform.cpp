// What the demo's SDL calls need to behave in a page as they do on the desktop.
#include "FixedFunction.h"

#include <SDL.h>

#include <cstdint>
#include <cstdlib>

extern "C" {
// Defined in zokk.js (the page's JavaScript library).
void zokk_present(void);
int zokk_frame_seed(void);
}

// A swap presents the frame and waits for the browser's next animation frame, which also
// hands the browser its turn to show it and to deliver input. The demo swaps twice per pass of
// its loop (after drawing, and again after reading events); a swap with nothing new drawn
// returns at once, so the show keeps the display's rate.
extern "C" void SDL_GL_SwapBuffers(void) {
    if (FixedFunction::instance().takeDrawn()) {
        zokk_present();
    }
    // A test that puts the scenes at chosen moments also fixes the random numbers of the next
    // frame.
    const int seed = zokk_frame_seed();
    if (seed >= 0) {
        std::srand(static_cast<unsigned>(seed));
    }
}

// rand() as the GNU C library computes it (its additive feedback generator, x[i] = x[i-3] +
// x[i-31]), so that a seed gives the page the same shakes and flickers as the desktop build.
namespace {

struct GnuRandom {
    int32_t ring[34];
    int next = 0; // index of the oldest of the last 34 terms

    void seed(unsigned value) {
        int32_t r[344];
        r[0] = value == 0 ? 1 : static_cast<int32_t>(value);
        for (int i = 1; i < 31; ++i) {
            // 16807 * r[i-1] mod (2^31 - 1), kept signed as the C library keeps it.
            const int64_t word = (16807LL * r[i - 1]) % 2147483647;
            r[i] = static_cast<int32_t>(word < 0 ? word + 2147483647 : word);
        }
        for (int i = 31; i < 34; ++i) {
            r[i] = r[i - 31];
        }
        for (int i = 34; i < 344; ++i) {
            r[i] = static_cast<int32_t>(static_cast<uint32_t>(r[i - 31]) +
                                        static_cast<uint32_t>(r[i - 3]));
        }
        for (int i = 0; i < 34; ++i) {
            ring[i] = r[310 + i];
        }
        next = 0;
    }

    int draw() {
        // The newest term is ring[next - 1]; the new one is ring[next - 31] + ring[next - 3].
        const int32_t value = static_cast<int32_t>(static_cast<uint32_t>(ring[(next + 3) % 34]) +
                                                   static_cast<uint32_t>(ring[(next + 31) % 34]));
        ring[next] = value;
        next = (next + 1) % 34;
        return static_cast<int>(static_cast<uint32_t>(value) >> 1);
    }
};

GnuRandom& generator() {
    static GnuRandom g = [] {
        GnuRandom fresh;
        fresh.seed(1);
        return fresh;
    }();
    return g;
}

} // namespace

extern "C" void srand(unsigned seed) {
    generator().seed(seed);
}

extern "C" int rand(void) {
    return generator().draw();
}
