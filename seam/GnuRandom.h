// rand() as the GNU C library computes it: its additive feedback generator
// r[i] = r[i-3] + r[i-31] over 34 terms, seeded through 16807 x mod (2^31 - 1) and run 310
// steps before the first number. The page and the Windows frame test use it so that a seed
// gives the same shakes and flickers as the desktop build does (Emscripten's and Windows' own
// rand() are other generators).
#pragma once

#include <cstdint>

class GnuRandom {
public:
    // As srand(1): the state a program starts with.
    GnuRandom() { seed(1); }

    // As srand(value); 0 seeds as 1 does.
    void seed(unsigned value);
    // The next number, 0 .. 2^31 - 1.
    int next();

private:
    int32_t ring[34] = {};
    int oldest = 0; // where the oldest of the last 34 terms is
};
