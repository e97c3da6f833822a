#include "GnuRandom.h"

void GnuRandom::seed(unsigned value) {
    int32_t r[344];
    r[0] = value == 0 ? 1 : static_cast<int32_t>(value);
    for (int i = 1; i < 31; ++i) {
        // 16807 r mod (2^31 - 1) by Schrage's method, in the C library's signed arithmetic
        // (which a seed of 2^31 or more makes negative).
        const int32_t hi = r[i - 1] / 127773;
        const int32_t lo = r[i - 1] % 127773;
        int32_t word = 16807 * lo - 2836 * hi;
        if (word < 0) {
            word += 2147483647;
        }
        r[i] = word;
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
    oldest = 0;
}

int GnuRandom::next() {
    // With the oldest term at position 0, the terms 31 and 3 back from the new one sit at 3
    // and 31; the new term replaces the oldest.
    const uint32_t sum = static_cast<uint32_t>(ring[(oldest + 3) % 34]) +
                         static_cast<uint32_t>(ring[(oldest + 31) % 34]);
    ring[oldest] = static_cast<int32_t>(sum);
    oldest = (oldest + 1) % 34;
    return static_cast<int>(sum >> 1);
}
