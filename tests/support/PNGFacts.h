// Small facts about PNG files that the loader's tests, the texture tests and the fuzzer share
// when they write or mend files of their own.
#pragma once

#include <png.h>

#include <cstddef>
#include <cstdint>

namespace pngfacts {

// Samples per pixel that a file of this colour type stores (a palette index counts as one).
inline int channels(int colourType) {
    switch (colourType) {
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        return 2;
    case PNG_COLOR_TYPE_RGB:
        return 3;
    case PNG_COLOR_TYPE_RGB_ALPHA:
        return 4;
    default:
        return 1; // gray, or a palette index
    }
}

// The CRC-32 that closes every chunk, over its type and data.
inline uint32_t crc32(const unsigned char* bytes, size_t size) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

} // namespace pngfacts
